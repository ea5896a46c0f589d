#pragma once

#include <QDate>
#include <QString>
#include <functional>

class DataSet;

// Small text, date and version helpers shared by the windows.

// Walks the source once, up to its starting length, replacing each occurrence
// of oldText found at the current position (case-sensitive) by newText. Text
// moved past the starting length by longer replacements is not examined.
QString ReplaceAll(const QString &oldText, const QString &newText, const QString &source);

// Removes every occurrence of the text, folding only the letters a-z (Turkish
// letters must match exactly), then trims blanks and control characters.
QString RemoveAllNoCase(const QString &text, const QString &source);

// Eight digits, year month day: 5 March 2007 gives "20070305".
QString DateToYMD(const QDate &date);

// "Build 2.1.0.310": the program's four version numbers, fixed by the build.
QString BuildVersionText();

// Writes an error's text to the error log (VEXARO/LOG.Txt) as its only line:
// the log holds the latest error, for whoever looks after the shop.
void WriteErrorLog(const QString &message);

// Deletes the dataset's current row after the clerk confirms; true when a row
// was deleted. An empty dataset asks nothing. A delete the database refuses
// is reported to the clerk with the database's own words, and the row stays.
bool DeleteWithConfirm(DataSet *dataSet);

// The same question, then the delete through the given operation (the
// engine's, which may refuse: a refusal is shown as a warning, a database
// error as an error, and the row stays).
struct ShopResult;
bool DeleteWithConfirm(DataSet *dataSet, const std::function<ShopResult(DataSet *)> &remove);
