#include "components/BandReport.h"

#include "components/DataSet.h"
#include "components/Format.h"

#include <QAbstractTextDocumentLayout>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QRawFont>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

namespace Report {

// ------------------------------------------------------------- data rows

int DataSetRows::rowCount()
{
    // A report reads its rows after counting them: the columns are those of
    // this reading (the dataset may have been opened on another statement).
    m_columns.clear();
    if (!m_ds || !m_ds->isOpen())
        return 0;
    m_ds->fetchAll();
    return m_ds->storedRowCount();
}

QVariant DataSetRows::value(int row, const QString &field)
{
    auto it = m_columns.constFind(field);
    if (it == m_columns.cend())
        it = m_columns.insert(field, m_ds->fieldIndex(field));
    return *it < 0 ? QVariant() : m_ds->storedValueAt(row, *it);
}

// --------------------------------------------------------------- building

Element BandReport::text(double x, const QString &t, double pointSize, bool bold, Align align)
{
    Element e;
    e.x = x;
    e.source.kind = Source::Text;
    e.source.text = t;
    e.pointSize = pointSize;
    e.bold = bold;
    e.align = align;
    return e;
}

Element BandReport::field(double x, const QString &f, Align align, const QString &format, double pointSize, bool bold)
{
    Element e;
    e.x = x;
    e.source.kind = Source::Field;
    e.source.text = f;
    e.align = align;
    e.format = format;
    e.pointSize = pointSize;
    e.bold = bold;
    return e;
}

Element BandReport::sum(double x, const QString &f, const QString &format, double pointSize, bool bold, Align align)
{
    Element e = field(x, f, align, format, pointSize, bold);
    e.source.kind = Source::Sum;
    return e;
}

Element BandReport::computed(double x, std::function<QString(const Computed &)> f, double pointSize, bool bold, Align align)
{
    Element e;
    e.x = x;
    e.source.kind = Source::Computed;
    e.source.compute = std::move(f);
    e.pointSize = pointSize;
    e.bold = bold;
    e.align = align;
    return e;
}

Element BandReport::param(double x, const QString &name, double pointSize, bool bold, Align align)
{
    Element e;
    e.x = x;
    e.source.kind = Source::Param;
    e.source.text = name;
    e.pointSize = pointSize;
    e.bold = bold;
    e.align = align;
    return e;
}

void BandReport::applyStandardLook(double columnTitlePointSize)
{
    pageHeader.height = 12;
    pageHeader.background = QColor(209, 225, 222);
    pageHeader.dottedFrame = true;
    Element t;
    t.x = 2.1;
    t.source.kind = Source::Param;
    t.source.text = QStringLiteral("Title");
    t.pointSize = 20;
    t.bold = true;
    t.italic = true;
    pageHeader.elements.push_back(t);

    columnHeader.height = 6;
    columnHeader.background = QColor(247, 221, 164);
    m_columnTitlePointSize = columnTitlePointSize;

    detail.height = 4.6;
    detail.background = Qt::white;

    pageFooter.height = 6;
    pageFooter.background = QColor(229, 227, 207);
    Element when;
    when.x = 2.1;
    when.source.kind = Source::PrintedAt;
    when.bold = true;
    pageFooter.elements.push_back(when);
    Element page;
    page.x = (orientation == QPageLayout::Landscape ? 277 : 190) - 2.1;
    page.align = Align::Right;
    page.source.kind = Source::PageNumber;
    page.bold = true;
    pageFooter.elements.push_back(page);
}

void BandReport::addColumn(double x, const QString &caption, const QString &f, Align align, const QString &format,
                           double width, bool bold)
{
    Element c = text(x, caption, m_columnTitlePointSize, bold, align);
    c.width = align == Align::Center ? width : 0;
    columnHeader.elements.push_back(c);
    Element d = field(x, f, align, format, 8, bold);
    d.width = width;
    detail.elements.push_back(d);
}

void BandReport::addColumn(double captionX, const QString &caption, double fieldX, const QString &f, Align align,
                           const QString &format, bool bold)
{
    columnHeader.elements.push_back(text(captionX, caption, m_columnTitlePointSize, bold, Align::Left));
    detail.elements.push_back(field(fieldX, f, align, format, 8, bold));
}

void BandReport::fitColumns()
{
    const double pageWidth = orientation == QPageLayout::Landscape ? 277 : 190;
    for (Element &e : detail.elements) {
        if (e.align != Align::Left || e.width > 0)
            continue;
        double next = pageWidth;
        for (const Element &other : detail.elements) {
            const double start = other.align == Align::Right ? other.x - 12 : other.x;
            if (start > e.x + 0.5 && start < next)
                next = start;
        }
        e.width = next - e.x - 1;
    }
}

// -------------------------------------------------------------- computing

namespace {

QString formatValue(const QVariant &v, const QString &format)
{
    if (v.isNull() || !v.isValid())
        return QString();
    if (v.metaType() == QMetaType::fromType<Money>())
        return Format::number(v.value<Money>(), format.isEmpty() ? QStringLiteral("#,###0.####") : format);
    switch (v.metaType().id()) {
    case QMetaType::QDateTime: {
        const QDateTime dt = v.toDateTime();
        if (!format.isEmpty())
            return dt.toString(format);
        return dt.time() == QTime(0, 0) ? Format::shortDate(dt.date()) : Format::dateTimeSeconds(dt);
    }
    case QMetaType::QDate:
        return format.isEmpty() ? Format::shortDate(v.toDate()) : v.toDate().toString(format);
    case QMetaType::Double:
        return Format::number(v.toDouble(), format.isEmpty() ? QStringLiteral("#,###0.####") : format);
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return format.isEmpty() ? QString::number(v.toLongLong()) : Format::number(qint64(v.toLongLong()), format);
    default:
        return v.toString();
    }
}

void collectSumFields(const Band &band, QStringList &fields)
{
    for (const Element &e : band.elements) {
        if (e.source.kind == Source::Sum && !fields.contains(e.source.text.toLower()))
            fields << e.source.text.toLower();
    }
}

} // namespace

Computed BandReport::compute() const
{
    Computed c;
    c.params = params;
    c.params.insert(QStringLiteral("Title"), title);
    const int n = m_rows ? m_rows->rowCount() : 0;

    QStringList sumFields;
    for (const Band &b : summaries)
        collectSumFields(b, sumFields);
    for (const Element &e : detail.elements) {
        if (e.source.kind == Source::Field && !sumFields.contains(e.source.text.toLower()))
            sumFields << e.source.text.toLower();
    }
    // One pass over the rows: each field is read once, for its sum and for
    // the text of the column that shows it.
    struct Sum
    {
        Money money;
        qint64 whole = 0;
        bool isMoney = false;
    };
    std::vector<Sum> sums(size_t(sumFields.size()));
    std::vector<qsizetype> sumOf; // a detail field's place in sumFields; -1 for other elements
    for (const Element &e : detail.elements)
        sumOf.push_back(e.source.kind == Source::Field ? sumFields.indexOf(e.source.text.toLower()) : -1);
    // Without data the report still prints one (empty) detail row.
    const int shown = std::max(n, 1);
    c.rows.assign(size_t(shown), QStringList());
    std::vector<QVariant> values(sums.size());
    for (int r = 0; r < n; ++r) {
        for (size_t j = 0; j < sums.size(); ++j) {
            const QVariant &v = values[j] = m_rows->value(r, sumFields[qsizetype(j)]);
            if (v.isNull())
                continue;
            Sum &s = sums[j];
            if (v.metaType() == QMetaType::fromType<Money>()) {
                s.money += v.value<Money>();
                s.isMoney = true;
            } else if (v.metaType().id() == QMetaType::Double) {
                s.money += Money::fromDouble(v.toDouble());
                s.isMoney = true;
            } else if (v.canConvert<qlonglong>() && v.metaType().id() != QMetaType::QString
                       && v.metaType().id() != QMetaType::QDateTime && v.metaType().id() != QMetaType::QByteArray) {
                s.whole += v.toLongLong();
            }
        }
        QStringList &texts = c.rows[size_t(r)];
        texts.reserve(qsizetype(detail.elements.size()));
        for (size_t i = 0; i < detail.elements.size(); ++i)
            texts << (sumOf[i] >= 0 ? formatValue(values[size_t(sumOf[i])], detail.elements[i].format) : QString());
    }
    for (size_t j = 0; j < sums.size(); ++j) {
        const QString &f = sumFields[qsizetype(j)];
        if (sums[j].isMoney) {
            c.moneySums.insert(f, sums[j].money);
        } else {
            c.integerSums.insert(f, sums[j].whole);
            c.moneySums.insert(f, Money::fromUnits(sums[j].whole));
        }
    }
    // The detail's other elements (a fixed text, a sum) once the sums are known.
    for (size_t i = 0; i < detail.elements.size(); ++i) {
        if (sumOf[i] >= 0)
            continue;
        for (int r = 0; r < n; ++r)
            c.rows[size_t(r)][qsizetype(i)] = elementText(detail.elements[i], c, r, 0);
    }
    if (n == 0)
        c.rows.front() = QStringList(qsizetype(detail.elements.size()), QString());
    return c;
}

QString BandReport::elementText(const Element &e, const Computed &c, int row, int page) const
{
    switch (e.source.kind) {
    case Source::Text:
        return e.source.text;
    case Source::Field:
        return row >= 0 && m_rows ? formatValue(m_rows->value(row, e.source.text), e.format) : QString();
    case Source::Sum: {
        const QString f = e.source.text.toLower();
        if (c.integerSums.contains(f) && !e.format.contains(u'.'))
            return Format::number(c.integerSums.value(f), e.format.isEmpty() ? QStringLiteral("0") : e.format);
        return Format::number(c.moneySums.value(f), e.format.isEmpty() ? QStringLiteral("#,###0.00") : e.format);
    }
    case Source::Computed:
        return e.source.compute ? e.source.compute(c) : QString();
    case Source::PageNumber:
        return QStringLiteral("Page : ") + QString::number(page);
    case Source::PrintedAt: {
        const QDateTime when = printedAt.isValid() ? printedAt : QDateTime::currentDateTime();
        return Format::dateTimeSeconds(when);
    }
    case Source::Param:
        return c.params.value(e.source.text);
    }
    return QString();
}

// --------------------------------------------------------------- painting

namespace {

// Tahoma where the machine has it, else a face of close width: the layouts'
// positions were measured for Tahoma.
QString resolveFamily(const QString &wanted)
{
    static QHash<QString, QString> cache;
    const auto it = cache.constFind(wanted);
    if (it != cache.cend())
        return *it;
    QString family = wanted;
    if (!QFontDatabase::hasFamily(wanted)) {
        for (const QString &candidate : {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                                         QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("DejaVu Sans")}) {
            if (QFontDatabase::hasFamily(candidate)) {
                family = candidate;
                break;
            }
        }
    }
    cache.insert(wanted, family);
    return family;
}

struct Canvas
{
    QPainter *p;
    QPaintDevice *device;
    double dpmm;      // device units per millimetre
    double width;     // of the printable area, device units
    double height;
    QString family;

    double mm(double v) const { return v * dpmm; }
    QFont font(const Element &e) const
    {
        QFont f(family);
        f.setPointSizeF(e.pointSize);
        f.setBold(e.bold);
        f.setItalic(e.italic);
        return f;
    }

    // A long report draws a few hundred thousand texts in a handful of
    // fonts: each font and its metrics are made once, and the painter's font
    // and pen change only when they differ from the last text's.
    struct Face
    {
        double pointSize;
        bool bold, italic;
        QFont font;
        QFontMetricsF metrics;
        QRawFont raw;
        double ascent = 0, descent = 0; // asked of every text: kept, not asked of the font again
        // The glyphs of a text shown before (dates, kinds and amounts repeat
        // on every page); the advance is the run's own width.
        struct Run
        {
            QGlyphRun glyphs;
            double advance = 0;
        };
        QHash<QString, Run> runs;
        // A long text cut to its column's width (the explanations repeat).
        QHash<std::pair<qint64, QString>, QString> elided;
    };
    mutable std::vector<Face> faces;
    mutable const Face *current = nullptr;
    mutable QColor currentColor;

    // The text as glyphs of the face's own font, placed one after another:
    // a report's texts are plain words and numbers, so looking the letters up
    // is all the shaping they need. Empty when the font lacks a letter (the
    // caller then draws the text the long way, with font fallback).
    const Face::Run *glyphRun(Face &face, const QString &text) const
    {
        // A preview records its pages as pictures, which would keep a copy
        // of the font with every run: there the painter lays text out itself.
        if (!face.raw.isValid() || p->paintEngine()->type() == QPaintEngine::Picture)
            return nullptr;
        if (auto it = face.runs.constFind(text); it != face.runs.cend())
            return it->glyphs.isEmpty() ? nullptr : &*it;
        if (face.runs.size() > 50000)
            face.runs.clear();
        Face::Run run;
        QList<quint32> indexes = face.raw.glyphIndexesForString(text);
        bool complete = indexes.size() == text.size();
        for (qsizetype i = 0; complete && i < indexes.size(); ++i)
            complete = indexes[i] != 0 || text[i].isSpace();
        if (complete) {
            const QList<QPointF> advances = face.raw.advancesForGlyphIndexes(indexes);
            QList<QPointF> positions;
            positions.reserve(advances.size());
            double x = 0;
            for (const QPointF &a : advances) {
                positions.append(QPointF(x, 0));
                x += a.x();
            }
            run.glyphs.setRawFont(face.raw);
            run.glyphs.setGlyphIndexes(indexes);
            run.glyphs.setPositions(positions);
            run.advance = x;
        }
        const Face::Run &stored = *face.runs.insert(text, run);
        return stored.glyphs.isEmpty() ? nullptr : &stored;
    }

    Face &use(const Element &e) const
    {
        Face *face = nullptr;
        for (Face &f : faces) {
            if (f.pointSize == e.pointSize && f.bold == e.bold && f.italic == e.italic) {
                face = &f;
                break;
            }
        }
        if (!face) {
            const QFont f = font(e);
            faces.reserve(16);
            if (faces.size() == faces.capacity())
                current = nullptr; // the vector moves its faces
            QRawFont raw = QRawFont::fromFont(f);
            raw.setPixelSize(e.pointSize * device->logicalDpiY() / 72.0);
            const QFontMetricsF metrics(f, device);
            faces.push_back({e.pointSize, e.bold, e.italic, f, metrics, raw, metrics.ascent(), metrics.descent(), {}, {}});
            face = &faces.back();
        }
        if (face != current) {
            p->setFont(face->font);
            current = face;
        }
        if (e.color != currentColor || p->pen().color() != e.color) {
            p->setPen(e.color);
            currentColor = e.color;
        }
        return *face;
    }
};

void drawElementText(const Canvas &cv, const Element &e, double bandTop, double bandHeight, const QString &text)
{
    if (text.isEmpty())
        return;
    Canvas::Face &face = cv.use(e);
    const QFontMetricsF &fm = face.metrics;
    const double top = bandTop + cv.mm(e.y);
    const double h = e.height > 0 ? cv.mm(e.height) : bandHeight - cv.mm(e.y);
    if (e.width > 0 && e.height > 0) {
        // A box the text wraps in (a long list of recipients).
        QRectF box(cv.mm(e.x), top, cv.mm(e.width), h);
        cv.p->drawText(box, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
        return;
    }
    QString shown = text;
    const Canvas::Face::Run *run = cv.glyphRun(face, shown);
    double advance = run ? run->advance : fm.horizontalAdvance(shown);
    if (e.width > 0 && e.align != Align::Center && advance > cv.mm(e.width)) {
        const double room = cv.mm(e.width);
        const std::pair<qint64, QString> key(qRound64(room * 64), text);
        auto cut = face.elided.constFind(key);
        if (cut == face.elided.cend()) {
            if (face.elided.size() > 50000)
                face.elided.clear();
            cut = face.elided.insert(key, fm.elidedText(text, Qt::ElideRight, room));
        }
        shown = *cut;
        run = cv.glyphRun(face, shown);
        advance = run ? run->advance : fm.horizontalAdvance(shown);
    }
    // One line, centred on the band's height, on its baseline: the same
    // place a text box of the line's own width would put it, without laying
    // the text out as a paragraph first.
    double x = cv.mm(e.x);
    if (e.align == Align::Right)
        x -= advance;
    else if (e.align == Align::Center)
        x = cv.mm(e.x + e.width / 2) - advance / 2;
    const double baseline = top + (h - (face.ascent + face.descent)) / 2 + face.ascent;
    if (run)
        cv.p->drawGlyphRun(QPointF(x, baseline), run->glyphs);
    else
        cv.p->drawText(QPointF(x, baseline), shown);
}

void drawBandBackground(const Canvas &cv, const Band &band, double top, const QColor &background)
{
    const QRectF r(0, top, cv.width, cv.mm(band.height));
    // White on the white page shows nothing: a long list of white rows is
    // not filled row by row.
    if (background != QColor(Qt::white))
        cv.p->fillRect(r, background);
    if (band.dottedFrame) {
        QPen pen(Qt::black);
        pen.setStyle(Qt::DotLine);
        pen.setWidthF(cv.mm(0.25));
        cv.p->setPen(pen);
        cv.p->drawRect(r.adjusted(cv.mm(0.2), cv.mm(0.2), -cv.mm(0.2), -cv.mm(0.2)));
    }
}

} // namespace

int BandReport::paint(QPagedPaintDevice *device) const
{
    const Computed c = compute();
    QPainter painter(device);
    if (!painter.isActive())
        return 0;
    painter.setRenderHint(QPainter::TextAntialiasing);
    // Everything is laid out in the device's own units: a 300 dpi PDF and a
    // 1200 dpi printer measure fonts differently.
    Canvas cv{&painter, device, device->logicalDpiX() / 25.4, double(device->width()), double(device->height()),
              resolveFamily(fontFamily)};

    int page = 1;
    double y = 0;
    const double footerH = cv.mm(pageFooter.height);
    const double limit = cv.height - footerH;

    auto drawBand = [&](const Band &band, double top, const QColor &background, int row) {
        drawBandBackground(cv, band, top, background);
        for (const Element &e : band.elements)
            drawElementText(cv, e, top, cv.mm(band.height), elementText(e, c, row, page));
    };
    auto drawDetail = [&](int row, double top) {
        const QColor bg = shaded ? (row % 2 == 0 ? shadeA : shadeB) : detail.background;
        drawBandBackground(cv, detail, top, bg);
        for (size_t i = 0; i < detail.elements.size(); ++i)
            drawElementText(cv, detail.elements[i], top, cv.mm(detail.height), c.rows[size_t(row)][qsizetype(i)]);
    };
    auto startPage = [&]() {
        y = 0;
        drawBand(pageHeader, y, pageHeader.background, -1);
        y += cv.mm(pageHeader.height);
        for (const Band &b : headerBands) {
            drawBand(b, y, b.background, -1);
            y += cv.mm(b.height);
        }
        if (!columnHeader.elements.empty()) {
            drawBand(columnHeader, y, columnHeader.background, -1);
            y += cv.mm(columnHeader.height);
        }
    };
    auto endPage = [&](bool another) {
        drawBand(pageFooter, cv.height - footerH, pageFooter.background, -1);
        if (another) {
            device->newPage();
            ++page;
        }
    };

    startPage();
    for (int r = 0; r < c.rowCount(); ++r) {
        if (y + cv.mm(detail.height) > limit) {
            endPage(true);
            startPage();
        }
        drawDetail(r, y);
        y += cv.mm(detail.height);
    }

    // A wrapping box whose text needs more lines than it was given (a long
    // list of recipients) grows, pushing what stands below it down, and its
    // band grows with it: nothing is cut off or printed over.
    auto grown = [&](const Band &original) {
        Band band = original;
        for (size_t i = 0; i < band.elements.size(); ++i) {
            const Element e = band.elements[i];
            if (e.width <= 0 || e.height <= 0)
                continue;
            const QString t = elementText(e, c, -1, page);
            if (t.isEmpty())
                continue;
            const QRectF need = QFontMetricsF(cv.font(e), device)
                                    .boundingRect(QRectF(0, 0, cv.mm(e.width), 1e9),
                                                  Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, t);
            const double extra = need.height() / cv.dpmm - e.height;
            if (extra <= 0)
                continue;
            for (size_t j = 0; j < band.elements.size(); ++j) {
                if (j == i)
                    band.elements[j].height += extra;
                else if (band.elements[j].y >= e.y + e.height - 0.01)
                    band.elements[j].y += extra;
            }
            band.height += extra;
        }
        return band;
    };

    for (const Band &original : summaries) {
        const Band band = grown(original);
        if (y + cv.mm(band.height) > limit) {
            endPage(true);
            startPage();
        }
        drawBand(band, y, band.background, -1);
        y += cv.mm(band.height);
        const QString flow = band.flowParam.isEmpty() ? band.flowText : c.params.value(band.flowParam);
        if (flow.isEmpty())
            continue;
        // A message that grows as far as it needs, page after page.
        QTextDocument doc;
        doc.setDefaultFont([&] { QFont f(cv.family); f.setPointSizeF(9); return f; }());
        doc.documentLayout()->setPaintDevice(device);
        if (Qt::mightBeRichText(flow))
            doc.setHtml(flow);
        else
            doc.setPlainText(flow);
        doc.setTextWidth(cv.width - cv.mm(4));
        const double total = doc.size().height();
        // Where each laid-out line ends: the document's margin and its line
        // heights are not the font's line spacing, so a page can only break
        // cleanly at these places.
        std::vector<double> lineBottoms;
        for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
            const QTextLayout *tl = b.layout();
            if (!tl)
                continue;
            const double top = doc.documentLayout()->blockBoundingRect(b).top();
            for (int i = 0; i < tl->lineCount(); ++i)
                lineBottoms.push_back(top + tl->lineAt(i).y() + tl->lineAt(i).height());
        }
        double done = 0;
        while (done < total) {
            const double room = limit - y;
            if (room < cv.mm(5)) {
                endPage(true);
                startPage();
                continue;
            }
            // Break between lines, not through them; only a line taller than
            // the room left is cut.
            double slice = std::min(room, total - done);
            if (done + slice < total) {
                double end = done;
                for (double bottom : lineBottoms)
                    if (bottom <= done + slice && bottom > end)
                        end = bottom;
                if (end > done)
                    slice = end - done;
            }
            painter.save();
            painter.translate(cv.mm(2), y - done);
            painter.setClipRect(QRectF(0, done, cv.width, slice));
            // Drawn a hair inside the slice, so the lines that only touch its
            // edges (the last of the page before, the first of the next) are
            // not written again, invisibly clipped, into this page.
            doc.drawContents(&painter, QRectF(0, done + 0.5, cv.width, std::max(0.0, slice - 1)));
            painter.restore();
            done += slice;
            y += slice;
        }
    }
    endPage(false);
    return page;
}

bool BandReport::writePdf(const QString &fileName, int *pages) const
{
    QPdfWriter writer(fileName);
    writer.setResolution(300);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("VEXARO"));
    if (!writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), orientation, QMarginsF(10, 10, 10, 10),
                                          QPageLayout::Millimeter)))
        return false;
    const int n = paint(&writer);
    if (pages)
        *pages = n;
    return n > 0;
}

} // namespace Report
