#pragma once

#include "db/Money.h"

#include <QColor>
#include <QDateTime>
#include <QFont>
#include <QHash>
#include <QPageLayout>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

class QPagedPaintDevice;
class QPainter;
class DataSet;

// A band report: a page header and column titles on every page, one detail
// band per data row (optionally shaded in two alternating tones), summary
// bands after the last row, and a page footer on every page. Elements are
// placed in millimetres from the left margin of an A4 page with 10 mm margins.
//
// The rows, their texts and the sums are computed first (compute()), apart
// from painting them, so the numbers can be checked without drawing; paint()
// then lays the pages out in the device's own units.
namespace Report {

enum class Align { Left, Right, Center };

// Where an element's text comes from.
struct Source
{
    enum Kind { Text, Field, Sum, Computed, PageNumber, PrintedAt, Param } kind = Text;
    QString text;  // Text: the text; Field/Sum: the field; Param: the run-time text's name
    std::function<QString(const struct Computed &)> compute; // Computed
};

struct Element
{
    double x = 0;          // mm from the left margin: the left edge, the right edge (Right) or the centre (Center)
    double width = 0;      // mm; a box the text wraps in (0: one line, as wide as it needs)
    double y = 0;          // mm from the top of the band
    double height = 0;     // mm; 0: one line
    Align align = Align::Left;
    Source source;
    QString format;        // number pattern ("#,###0.00") or date pattern ("dd.MM.yyyy hh:mm")
    double pointSize = 8;
    bool bold = false;
    bool italic = false;
    QColor color = Qt::black;
};

struct Band
{
    double height = 5;                   // mm
    QColor background = Qt::white;
    bool dottedFrame = false;
    std::vector<Element> elements;
    // A band whose rich or plain text grows downward as far as it needs and
    // continues on the next pages (the mail message).
    QString flowText;                    // set at run time through a Param name
    QString flowParam;
    double flowTop = 0;                  // mm below the band's top where the text starts
};

// What compute() produces: every detail row's texts and the sums, exactly.
struct Computed
{
    std::vector<QStringList> rows;        // one text per detail element, in order
    QHash<QString, Money> moneySums;      // by lower-case field name
    QHash<QString, qint64> integerSums;
    QHash<QString, QString> params;
    int rowCount() const { return int(rows.size()); }
    Money money(const QString &field) const { return moneySums.value(field.toLower()); }
    qint64 integer(const QString &field) const { return integerSums.value(field.toLower()); }
};

// Data rows: a dataset (read whole) or, for a report without rows, nothing.
class RowSource
{
public:
    virtual ~RowSource() = default;
    virtual int rowCount() = 0;
    virtual QVariant value(int row, const QString &field) = 0;
};

class DataSetRows : public RowSource
{
public:
    explicit DataSetRows(DataSet *dataSet) : m_ds(dataSet) {}
    int rowCount() override;
    QVariant value(int row, const QString &field) override;

private:
    DataSet *m_ds;
    // Field names resolved to columns once per read, not once per value.
    QHash<QString, int> m_columns;
};

class BandReport
{
public:
    QString name;            // CDListeRP
    QString title;           // shown in the page header
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    Band pageHeader;
    std::vector<Band> headerBands;       // more bands under the page header, on every page
    Band columnHeader;
    Band detail;
    std::vector<Band> summaries;
    Band pageFooter;
    bool shaded = false;
    QColor shadeA = QColor(235, 235, 231), shadeB = QColor(250, 250, 245);
    QString fontFamily = QStringLiteral("Tahoma");

    // Texts given at run time (period dates, the version line, the message).
    QHash<QString, QString> params;
    void setParam(const QString &name, const QString &value) { params.insert(name, value); }

    void setRows(std::shared_ptr<RowSource> rows) { m_rows = std::move(rows); }
    // The printing date shown in the footer; now unless set (tests fix it).
    QDateTime printedAt;

    Computed compute() const;
    // Lays out and paints every page; returns the number of pages.
    int paint(QPagedPaintDevice *device) const;
    // Writes the report as a PDF file; false when the file cannot be written.
    bool writePdf(const QString &fileName, int *pages = nullptr) const;

    // Building helpers for the layouts.
    static Element text(double x, const QString &text, double pointSize = 8, bool bold = false, Align align = Align::Left);
    static Element field(double x, const QString &field, Align align = Align::Left, const QString &format = QString(),
                         double pointSize = 8, bool bold = false);
    static Element sum(double x, const QString &field, const QString &format, double pointSize = 9, bool bold = true,
                       Align align = Align::Right);
    static Element computed(double x, std::function<QString(const Computed &)> f, double pointSize = 9, bool bold = true,
                            Align align = Align::Right);
    static Element param(double x, const QString &name, double pointSize = 8, bool bold = false, Align align = Align::Left);

    // The standard look shared by the reports: the title band, the column
    // titles band, white detail rows and the footer with date and page.
    void applyStandardLook(double columnTitlePointSize = 9);
    // A column: its caption in the column-title band and its field in the
    // detail band. Left columns start at x; right-aligned ones end at x;
    // centred ones are centred in [x, x + width].
    void addColumn(double x, const QString &caption, const QString &field, Align align = Align::Left,
                   const QString &format = QString(), double width = 0, bool bold = false);
    // The caption placed apart from the values (a caption at its column's left
    // over values that end further right).
    void addColumn(double captionX, const QString &caption, double fieldX, const QString &field, Align align,
                   const QString &format = QString(), bool bold = false);
    // Left-aligned columns without a width are cut where the next column
    // starts, so a long name never runs over its neighbour.
    void fitColumns();

private:
    QString elementText(const Element &e, const Computed &c, int row, int page) const;
    std::shared_ptr<RowSource> m_rows;
    double m_columnTitlePointSize = 9;
};

// Shows a report to the user: the print preview, modal, from which it is
// printed or kept as a PDF. Tests install one that renders to PDF instead.
class PreviewService
{
public:
    virtual ~PreviewService() = default;
    virtual void preview(const BandReport &report) = 0;
    static PreviewService &instance();
    static std::unique_ptr<PreviewService> install(std::unique_ptr<PreviewService> service);
};

void showPreview(const BandReport &report);

} // namespace Report
