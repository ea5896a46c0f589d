#include "app/Helpers.h"

#include "components/DataSet.h"
#include "components/Format.h"
#include "components/PromptService.h"
#include "data/ShopBook.h"
#include "db/Paths.h"

#include <QSaveFile>

QString ReplaceAll(const QString &oldText, const QString &newText, const QString &source)
{
    if (oldText.isEmpty())
        return source;
    QString s = source;
    const qsizetype startLength = s.size();
    for (qsizetype p = 0; p < startLength; ++p) {
        if (QStringView(s).mid(p).startsWith(oldText, Qt::CaseSensitive)) {
            s.remove(p, oldText.size());
            s.insert(p, newText);
        }
    }
    return s;
}

namespace {

QString upperAsciiLetters(QString s)
{
    for (QChar &c : s) {
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - 32);
    }
    return s;
}

QString trimBlanksAndControls(const QString &s)
{
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && s[begin].unicode() <= 32)
        ++begin;
    while (end > begin && s[end - 1].unicode() <= 32)
        --end;
    return s.mid(begin, end - begin);
}

} // namespace

QString RemoveAllNoCase(const QString &text, const QString &source)
{
    QString s = source;
    if (!text.isEmpty()) {
        const QString needle = upperAsciiLetters(text);
        for (qsizetype at; (at = upperAsciiLetters(s).indexOf(needle)) >= 0;)
            s.remove(at, text.size());
    }
    return trimBlanksAndControls(s);
}

QString DateToYMD(const QDate &date)
{
    const QString digits = RemoveAllNoCase(QStringLiteral("."), Format::shortDate(date)); // ddMMyyyy
    return digits.mid(4, 4) + digits.mid(2, 2) + digits.mid(0, 2);
}

QString BuildVersionText()
{
    return QStringLiteral("Build %1.%2.%3.%4")
        .arg(VEXARO_VERSION_MAJOR)
        .arg(VEXARO_VERSION_MINOR)
        .arg(VEXARO_VERSION_PATCH)
        .arg(VEXARO_VERSION_BUILD);
}

bool DeleteWithConfirm(DataSet *dataSet, const std::function<ShopResult(DataSet *)> &remove)
{
    if (!dataSet || !dataSet->isOpen() || dataSet->isEmpty() || dataSet->recNo() < 0)
        return false;
    if (!Prompt::confirmWarning(QStringLiteral("Kaydı silmek istediğinize eminmisiniz ?")))
        return false;
    const int row = dataSet->recNo();
    const ShopResult done = remove(dataSet);
    if (done.error == ShopResult::Error::OpenRentals) {
        Prompt::warning(done.message);
        return false;
    }
    if (!done.ok()) {
        Prompt::error(QStringLiteral(" Dikkat bu kaydı silemezsiniz !!! ") + done.message);
        return false;
    }
    // The list as stored, on the row that followed the deleted one.
    if (!dataSet->requery())
        Prompt::error(dataSet->lastError());
    else if (!dataSet->moveTo(row))
        dataSet->last();
    return true;
}

bool DeleteWithConfirm(DataSet *dataSet)
{
    if (!dataSet || !dataSet->isOpen() || dataSet->isEmpty() || dataSet->recNo() < 0)
        return false;
    if (!Prompt::confirmWarning(QStringLiteral("Kaydı silmek istediğinize eminmisiniz ?")))
        return false;
    if (!dataSet->remove()) {
        Prompt::error(QStringLiteral(" Dikkat bu kaydı silemezsiniz !!! ") + dataSet->lastError());
        return false;
    }
    return true;
}

void WriteErrorLog(const QString &message)
{
    QSaveFile log(Paths::errorLog());
    if (log.open(QIODevice::WriteOnly | QIODevice::Text)) {
        log.write(message.toUtf8() + '\n');
        log.commit();
    }
}
