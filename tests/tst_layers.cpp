// The program's layers, checked on the sources themselves: includes run
// downwards only, windows hold no SQL, one place books sales into the cash
// box, and no statement is pasted together with a value. Reads every .h/.cpp
// under src/ (or the folder named by VEXARO_LAYERS_SRC) and names the file and
// line of each breach.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <tuple>

namespace {

// ---- The rules --------------------------------------------------------------

const QStringList Windows = {"rental", "cashbox", "catalogue", "customers", "messaging", "service", "reports"};

struct Layer
{
    QString folder;
    QStringList mayInclude; // folders whose headers this one may include; "*": any
    bool sqlFree;           // no statements, no QSqlQuery, setSql( or Transaction
};

const QList<Layer> &layers()
{
    static const QList<Layer> table = [] {
        QList<Layer> t = {
            {"db", {"db"}, false},
            {"components", {"components", "db"}, false},
            {"data", {"data", "components", "db"}, false},
            // What every window uses: the registry, the helpers, the pictures.
            {"app", {"app", "data", "components", "db"}, true},
            {"shell", {"*"}, true},
        };
        // A window may include another window's header to call its opener;
        // what it may not do is reach into that window (see ReachIn).
        for (const QString &w : Windows)
            t.append({w, QStringList{"data", "components", "db", "app"} + Windows, true});
        return t;
    }();
    return table;
}

// No window includes the frame; only the frame opens windows.
const QString FrameHeader = "shell/FrmMainUnit.h";
// The engine and the tariff rules need nothing above the database layer:
// they take requests, never a dataset or a widget.
const QRegularExpression EngineFile(R"(^data/(ShopBook\w*|Tariff)\.(h|cpp)$)");
// The program's start wires the frame and the login together and drives the
// login in its start-up probe.
const QString ProgramStart = "shell/main.cpp";
// The report layouts keep their own statements.
const QStringList OwnStatements = {"reports/Report1Unit.cpp", "reports/Report2Unit.cpp"};
// The one place that writes ledger rows.
const QString LedgerWriter = "data/ShopBook.cpp";

const QRegularExpression::PatternOption NoCase = QRegularExpression::CaseInsensitiveOption;
const QList<QRegularExpression> Statements = {
    QRegularExpression(R"(\bselect\b[\s\S]*\bfrom\b)", NoCase),
    QRegularExpression(R"(\binsert\s+into\b)", NoCase),
    QRegularExpression(R"(\bupdate\b[\s\S]*\bset\b)", NoCase),
    QRegularExpression(R"(\bdelete\s+from\b)", NoCase),
};
const QRegularExpression SqlInCode(R"(\bQSqlQuery\b|\bsetSql\s*\(|\bTransaction\b)");
const QRegularExpression LedgerInsert(R"(\binsert\s+into\s+kasa\b)", NoCase);
// A window's program-wide reference followed by a member access: FrmCDKira->,
// DlgBarkodOku.data()->. A window may use its own (its opener does); another
// window is reached through that window's opener functions or a signal.
const QRegularExpression ReachIn(R"(\b((?:Frm|Dlg)\w+)\s*(?:\.\s*data\s*\(\s*\))?\s*->)");

// The window whose unit a file is: "rental/FrmCDKiraUnit.cpp" is FrmCDKira's,
// "catalogue/FrmCDKayitUnit1.h" FrmCDKayit's (compared without case: the
// return window's reference is FrmCdIade).
QString ownWindow(const QString &file)
{
    static const QRegularExpression unit(R"((\w+?)Unit\d*\.(?:h|cpp)$)");
    const auto m = unit.match(QFileInfo(file).fileName());
    return m.hasMatch() ? m.captured(1).toLower() : QString();
}

// ---- The checker ------------------------------------------------------------

struct Violation
{
    QString file; // relative to the checked folder
    int line = 0;
    QString what;
};

// A source cut into what the rules look at: the text without comments (for
// includes), the code without comments and literals (for identifiers), and
// its string literals, adjacent ones joined as the compiler joins them.
struct Source
{
    QStringList withoutComments;
    QStringList bareCode;
    QList<QPair<int, QString>> literals; // line of the first piece, text
};

Source readSource(const QString &text)
{
    QString noComments = text, bare = text;
    QList<QPair<int, QString>> literals;
    bool joinNext = false; // only blanks and comments since the last literal
    int line = 1;
    auto blank = [&](QString &s, qsizetype from, qsizetype to) {
        for (qsizetype k = from; k < to; ++k)
            if (s[k] != u'\n')
                s[k] = u' ';
    };
    auto isIdent = [](QChar c) { return c.isLetterOrNumber() || c == u'_'; };
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        const QChar c = text[i];
        if (c == u'\n') { ++line; ++i; continue; }
        if (c.isSpace()) { ++i; continue; }
        if (text.mid(i, 2) == u"//" || text.mid(i, 2) == u"/*") {
            const bool block = text[i + 1] == u'*';
            qsizetype end = block ? text.indexOf(u"*/", i + 2) : text.indexOf(u'\n', i);
            end = end < 0 ? n : end + (block ? 2 : 0);
            blank(noComments, i, end);
            blank(bare, i, end);
            line += int(text.mid(i, end - i).count(u'\n'));
            i = end;
            continue;
        }
        // A literal, with its encoding prefix and R for raw text.
        qsizetype j = i;
        while (j < n && isIdent(text[j]))
            ++j;
        const QString word = text.mid(i, j - i);
        static const QStringList prefixes = {"", "u8", "u", "U", "L", "R", "u8R", "uR", "UR", "LR"};
        if (j < n && (text[j] == u'"' || text[j] == u'\'') && prefixes.contains(word)
            && !(c.isDigit())) {
            const QChar quote = text[j];
            const bool raw = word.endsWith(u'R') && quote == u'"';
            qsizetype bodyStart, bodyEnd, end;
            if (raw) {
                const qsizetype open = text.indexOf(u'(', j);
                const QString close = u')' + text.mid(j + 1, open - j - 1) + u'"';
                bodyStart = open + 1;
                bodyEnd = text.indexOf(close, bodyStart);
                if (bodyEnd < 0) bodyEnd = n;
                end = qMin(n, bodyEnd + close.size());
            } else {
                bodyStart = j + 1;
                bodyEnd = bodyStart;
                while (bodyEnd < n && text[bodyEnd] != quote && text[bodyEnd] != u'\n')
                    bodyEnd += text[bodyEnd] == u'\\' ? 2 : 1;
                bodyEnd = qMin(bodyEnd, n);
                end = qMin(n, bodyEnd + 1);
            }
            blank(bare, bodyStart, bodyEnd);
            if (quote == u'"') {
                const QString body = text.mid(bodyStart, bodyEnd - bodyStart);
                if (joinNext && !literals.isEmpty())
                    literals.last().second += body;
                else
                    literals.append({line, body});
                joinNext = true;
            }
            line += int(text.mid(i, end - i).count(u'\n'));
            i = end;
            continue;
        }
        joinNext = false;
        if (j > i) {
            // A number swallows its digit separators (1'000) and exponents.
            if (c.isDigit())
                while (j < n && (isIdent(text[j]) || text[j] == u'\'' || text[j] == u'.'))
                    ++j;
            i = j;
        } else {
            ++i;
        }
    }
    return {noComments.split(u'\n'), bare.split(u'\n'), literals};
}

// ---- SQL pasted together ----------------------------------------------------
// Every value a user types or chooses reaches a statement as a bound
// parameter. The check: wherever a literal that reads as SQL is joined with
// '+' or filled with .arg(), every other piece of that expression must be a
// literal, a number, a constant of the same file made of literals only, or
// one of the fragments below, each of which only ever holds constant SQL.
// (Not seen: text appended with '+=' to a variable, or .arg() on a variable;
// the code keeps to literals in those places.)

struct SafeFragment
{
    QString file;
    QString expression; // as written, blanks removed, literals as "text"
};

const QList<SafeFragment> SafeFragments = {
    // Schema names: tables and columns of the schema, never typed text.
    {"components/DataSet.cpp", "QLatin1StringView(table->name)"},
    {"components/DataSet.cpp", "QLatin1StringView(def->name)"},
    {"components/DataSet.cpp", "QLatin1StringView(Schema::table(m_table)->name)"},
    {"components/DataSet.cpp", "m_table"},
    {"components/DataSet.cpp", "vals.size()"},
    // Lists of column names and placeholders (":p0", "ID = :p1") built from the schema.
    {"components/DataSet.cpp", "cols.join(\", \")"},
    {"components/DataSet.cpp", "holders.join(\", \")"},
    {"components/DataSet.cpp", "sets.join(\", \")"},
    // The dataset's own statement, wrapped to count its rows (its values stay bound).
    {"components/DataSet.cpp", "inner"},
    // The engine's inserts and updates: a table and its columns, each checked
    // against the schema before the statement is made.
    {"db/Statement.cpp", "table"},
    {"db/Statement.cpp", "name"},
    {"db/Statement.cpp", "columns.join(\", \")"},
    {"db/Statement.cpp", "holders.join(\", \")"},
    {"db/Statement.cpp", "sets.join(\", \")"},
    // Title filter: a column checked against TitleFilterColumns, conditions "Col=:Col".
    {"data/Dm1Unit.cpp", "cv.first"},
    {"data/Dm1Unit.cpp", "conditions.join(\" and \")"},
    {"data/Dm1Unit.cpp", "where"},
    // Lookup list: a table and its column taken from LookupLists.
    {"data/Dm1Unit.cpp", "table"},
    {"data/Dm1Unit.cpp", "column"},
    // The ledger's day: one of two literal expressions, by backend.
    {"db/Schema.cpp", "day"},
    // The ledger's kind condition, one of a fixed set of literals; the renting
    // statistics' conditions, literals with bound values.
    {"data/LedgerData.cpp", "kindCondition(period.kind)"},
    {"data/LedgerData.cpp", "where"},
    // A new shop's tariff row: the tariff's money columns, and a zero for each.
    {"db/Schema.cpp", "prices.join(\", \")"},
    {"db/Schema.cpp", "zeros.join(\", \")"},
    // The shop's numbers: a table and column from the fixed NumberColumns list.
    {"data/ShopBook.cpp", "nc.column"},
    {"data/ShopBook.cpp", "nc.table"},
};

const QRegularExpression SqlFragment(
    R"(\bselect\b.*\bfrom\b|\binsert\s+into\b|\bupdate\s+\w+\s+set\b|\bdelete\s+from\b|\bwhere\b|\border\s+by\b)"
    R"(|\bgroup\s+by\b|\bvalues\s*\(|\blike\b|\w\s*[=<>]+\s*'?\s*$|=\s*:\w|^\s*[=<>]+\s*[:']?\s*$|^\s*(and|or)\s|\s(and|or)\s*$)",
    NoCase);

struct Token
{
    QString text; // a literal's text without quotes
    int line = 0;
    bool literal = false;
};

// The code as tokens, comments dropped; adjacent literals joined and the
// wrappers QStringLiteral("…"), QLatin1String("…") and the like taken off.
QList<Token> tokenize(const QString &code)
{
    QList<Token> out;
    int line = 1;
    qsizetype i = 0;
    const qsizetype n = code.size();
    auto isIdent = [](QChar c) { return c.isLetterOrNumber() || c == u'_'; };
    while (i < n) {
        const QChar c = code[i];
        if (c == u'\n') { ++line; ++i; continue; }
        if (c.isSpace()) { ++i; continue; }
        qsizetype j = i;
        while (j < n && isIdent(code[j]))
            ++j;
        const QString word = code.mid(i, j - i);
        static const QStringList prefixes = {"", "u8", "u", "U", "L", "R", "u8R", "uR", "UR", "LR"};
        if (j < n && code[j] == u'"' && prefixes.contains(word)) {
            QString body;
            qsizetype end;
            if (word.endsWith(u'R')) {
                const qsizetype open = code.indexOf(u'(', j);
                const QString close = u')' + code.mid(j + 1, open - j - 1) + u'"';
                qsizetype stop = code.indexOf(close, open);
                stop = stop < 0 ? n : stop;
                body = code.mid(open + 1, stop - open - 1);
                end = qMin(n, stop + close.size());
            } else {
                qsizetype k = j + 1;
                while (k < n && code[k] != u'"' && code[k] != u'\n')
                    k += code[k] == u'\\' ? 2 : 1;
                body = code.mid(j + 1, qMin(k, n) - j - 1);
                end = qMin(n, k + 1);
            }
            if (!out.isEmpty() && out.last().literal)
                out.last().text += body;
            else
                out.append({body, line, true});
            line += int(code.mid(i, end - i).count(u'\n'));
            i = end;
            continue;
        }
        if (j > i) {
            if (c.isDigit()) // 1'000, 0x1F, 1.5e3
                while (j < n && (isIdent(code[j]) || code[j] == u'\'' || code[j] == u'.'))
                    ++j;
            out.append({code.mid(i, j - i), line, false});
            i = j;
            continue;
        }
        if (c == u'\'') { // a character: its quote is no string
            qsizetype k = i + 1;
            while (k < n && code[k] != u'\'' && code[k] != u'\n')
                k += code[k] == u'\\' ? 2 : 1;
            out.append({"0", line, false});
            i = qMin(n, k + 1);
            continue;
        }
        static const QStringList pairs = {"->", "::", "+=", "++", "<<", ">>", "==", "!=", "<=", ">=", "&&", "||"};
        const QString two = code.mid(i, 2);
        const int len = pairs.contains(two) ? 2 : 1;
        out.append({code.mid(i, len), line, false});
        i += len;
    }
    // Take the wrappers off: QStringLiteral ( "…" ) is "…".
    static const QStringList wrappers = {"QStringLiteral", "QLatin1String", "QLatin1StringView", "QStringView",
                                         "QString", "fromLatin1", "fromUtf8", "QByteArrayLiteral", "QByteArray"};
    for (qsizetype k = 0; k + 3 < out.size(); ++k) {
        if (!out[k].literal && wrappers.contains(out[k].text) && out[k + 1].text == u"(" && out[k + 2].literal
            && !out[k + 3].literal && out[k + 3].text == u")") {
            qsizetype from = k;
            if (from >= 2 && out[from - 1].text == u"::" && out[from - 2].text == u"QString")
                from -= 2;
            const Token lit = out[k + 2];
            out.remove(from, k + 4 - from);
            out.insert(from, lit);
            if (from > 0 && out[from - 1].literal) { // "a" QStringLiteral("b") cannot occur; joined anyway
                out[from - 1].text += lit.text;
                out.remove(from);
            }
            k = qMax<qsizetype>(-1, from - 2);
        }
    }
    return out;
}

bool isOpen(const Token &t) { return !t.literal && (t.text == u"(" || t.text == u"["); }
bool isClose(const Token &t) { return !t.literal && (t.text == u")" || t.text == u"]"); }
bool isWord(const Token &t) { return !t.literal && !t.text.isEmpty() && (t.text[0].isLetterOrNumber() || t.text[0] == u'_'); }
bool isMember(const Token &t) { return !t.literal && (t.text == u"." || t.text == u"->" || t.text == u"::"); }

class PasteChecker
{
public:
    PasteChecker(const QString &file, const QList<Token> &tokens) : m_file(file), m_t(tokens)
    {
        // Constants of the file made of literals only: const QString Name = "…" + Other;
        for (qsizetype k = 0; k + 3 < m_t.size(); ++k) {
            if (m_t[k].text != u"QString" || !isWord(m_t[k + 1]) || m_t[k + 2].text != u"=" || m_t[k + 2].literal)
                continue;
            bool constant = k > 0 && m_t[k - 1].text == u"const";
            qsizetype e = k + 3;
            for (; constant && e < m_t.size() && !(m_t[e].text == u";" && !m_t[e].literal); ++e)
                constant = m_t[e].literal || m_t[e].text == u"+" || m_constants.contains(m_t[e].text);
            if (constant)
                m_constants.insert(m_t[k + 1].text);
        }
    }

    QList<Violation> check()
    {
        for (qsizetype k = 0; k < m_t.size(); ++k) {
            if (!m_t[k].literal || !SqlFragment.match(m_t[k].text).hasMatch())
                continue;
            // Back to the first piece of the '+' chain, then every piece forward.
            qsizetype start = k;
            while (start >= 2 && m_t[start - 1].text == u"+" && !m_t[start - 1].literal)
                start = operandStartBefore(start - 2);
            qsizetype p = start;
            for (;;) {
                p = operand(p);
                if (p >= m_t.size() || m_t[p].text != u"+" || m_t[p].literal)
                    break;
                ++p;
            }
        }
        return m_found;
    }

private:
    qsizetype match(qsizetype k, int step) const
    {
        int depth = 0;
        for (; k >= 0 && k < m_t.size(); k += step) {
            if (isOpen(m_t[k])) depth += step;
            else if (isClose(m_t[k])) depth -= step;
            if (depth == 0)
                return k;
        }
        return k < 0 ? 0 : m_t.size() - 1;
    }

    qsizetype operandStartBefore(qsizetype j) const
    {
        while (j > 0) {
            if (isClose(m_t[j])) {
                j = match(j, -1);
                if (j > 0 && isWord(m_t[j - 1]))
                    --j;
            }
            if (j >= 2 && isMember(m_t[j - 1]))
                j -= 2;
            else
                break;
        }
        return qMax<qsizetype>(0, j);
    }

    QString spell(qsizetype from, qsizetype to) const
    {
        QString s;
        for (qsizetype k = from; k < to; ++k)
            s += m_t[k].literal ? u'"' + m_t[k].text + u'"' : m_t[k].text;
        return s;
    }

    // Checks the piece at p (with .arg() on a literal); returns the index after it.
    qsizetype operand(qsizetype p)
    {
        if (p >= m_t.size())
            return p;
        if (m_t[p].literal) {
            ++p;
            while (p + 2 < m_t.size() && m_t[p].text == u"." && m_t[p + 1].text == u"arg" && m_t[p + 2].text == u"(") {
                const qsizetype close = match(p + 2, +1);
                qsizetype a = p + 3;
                while (a < close) {
                    // One argument: a chain of pieces up to its comma.
                    for (;;) {
                        a = operand(a);
                        if (a >= close || m_t[a].text != u"+")
                            break;
                        ++a;
                    }
                    while (a < close && m_t[a].text != u",")
                        ++a;
                    ++a;
                }
                p = close + 1;
            }
            return p;
        }
        const qsizetype from = p;
        while (p < m_t.size()) {
            if (isOpen(m_t[p]))
                p = match(p, +1) + 1;
            else if (isWord(m_t[p]) || isMember(m_t[p]))
                ++p;
            else
                break;
        }
        if (p == from) { // an operator or a parenthesis: nothing to name
            ++p;
            return p;
        }
        const QString piece = spell(from, p);
        const bool number = piece[0].isDigit();
        const bool safe = number || m_constants.contains(piece)
            || std::any_of(SafeFragments.begin(), SafeFragments.end(),
                           [&](const SafeFragment &f) { return f.file == m_file && f.expression == piece; });
        if (!safe)
            m_found.append({m_file, m_t[from].line, QString("SQL pasted together with %1 (bind it)").arg(piece)});
        return p;
    }

    QString m_file;
    const QList<Token> &m_t;
    QSet<QString> m_constants;
    QList<Violation> m_found;
};

// The folder an include names, or the including file's own for a bare name.
QString includedPath(const QString &fromFolder, const QString &include)
{
    if (include.startsWith(u"./") || include.startsWith(u"../"))
        return QDir::cleanPath(fromFolder + u'/' + include);
    return include.contains(u'/') ? include : fromFolder + u'/' + include;
}

QList<Violation> checkTree(const QString &root)
{
    static const QRegularExpression includeLine(R"(^\s*#\s*include\s*"([^"]+)\")");
    QList<Violation> found;
    QDirIterator it(root, {"*.h", "*.cpp"}, QDir::Files, QDirIterator::Subdirectories);
    QStringList files;
    while (it.hasNext())
        files << QDir(root).relativeFilePath(it.next());
    files.sort();

    for (const QString &file : files) {
        QFile f(QDir(root).filePath(file));
        if (!f.open(QIODevice::ReadOnly)) {
            found.append({file, 0, "cannot be read"});
            continue;
        }
        const Source src = readSource(QString::fromUtf8(f.readAll()));
        const QString folder = file.contains(u'/') ? file.section(u'/', 0, 0) : QString();
        const auto layer = std::find_if(layers().begin(), layers().end(),
                                        [&](const Layer &l) { return l.folder == folder; });
        if (layer == layers().end()) {
            found.append({file, 1, QString("folder '%1' has no place among the layers").arg(folder)});
            continue;
        }

        for (int ln = 0; ln < src.withoutComments.size(); ++ln) {
            const auto m = includeLine.match(src.withoutComments[ln]);
            if (!m.hasMatch())
                continue;
            const QString target = includedPath(folder, m.captured(1));
            const QString targetFolder = target.section(u'/', 0, 0);
            if (Windows.contains(folder) && target == FrameHeader)
                found.append({file, ln + 1, QString("a window includes the frame %1").arg(target)});
            else if (!layer->mayInclude.contains("*") && !layer->mayInclude.contains(targetFolder))
                found.append({file, ln + 1, QString("%1 may not include %2").arg(folder, target)});
            else if (EngineFile.match(file).hasMatch() && targetFolder != u"db" && targetFolder != u"data")
                found.append({file, ln + 1, QString("the engine may not include %1").arg(target)});
        }

        if ((Windows.contains(folder) || folder == u"shell") && file != ProgramStart) {
            for (int ln = 0; ln < src.bareCode.size(); ++ln) {
                auto it = ReachIn.globalMatch(src.bareCode[ln]);
                while (it.hasNext()) {
                    const QString other = it.next().captured(1);
                    if (other.toLower() != ownWindow(file)) {
                        found.append({file, ln + 1, QString("reaches into the window %1 (call its opener)").arg(other)});
                        break;
                    }
                }
            }
        }

        if (layer->sqlFree && !OwnStatements.contains(file)) {
            for (const auto &[ln, literal] : src.literals)
                for (const QRegularExpression &statement : Statements)
                    if (statement.match(literal).hasMatch()) {
                        found.append({file, ln, QString("SQL in a window: \"%1\"").arg(literal.simplified())});
                        break;
                    }
            for (int ln = 0; ln < src.bareCode.size(); ++ln) {
                const auto m = SqlInCode.match(src.bareCode[ln]);
                if (m.hasMatch())
                    found.append({file, ln + 1, QString("%1 in a window").arg(m.captured().remove(u'(').trimmed())});
            }
        }

        if (file != LedgerWriter)
            for (const auto &[ln, literal] : src.literals)
                if (LedgerInsert.match(literal).hasMatch())
                    found.append({file, ln, QString("ledger rows are written only by %1").arg(LedgerWriter)});

        const QList<Token> tokens = tokenize(src.withoutComments.join(u'\n'));
        found += PasteChecker(file, tokens).check();
    }
    std::sort(found.begin(), found.end(), [](const Violation &a, const Violation &b) {
        return std::tie(a.file, a.line, a.what) < std::tie(b.file, b.line, b.what);
    });
    found.erase(std::unique(found.begin(), found.end(), [](const Violation &a, const Violation &b) {
        return std::tie(a.file, a.line, a.what) == std::tie(b.file, b.line, b.what);
    }), found.end());
    return found;
}

QStringList describe(const QString &root)
{
    QStringList lines;
    for (const Violation &v : checkTree(root))
        lines << QString("%1:%2 %3").arg(v.file).arg(v.line).arg(v.what);
    return lines;
}

void writeFile(const QString &root, const QString &file, const QByteArray &text)
{
    QDir(root).mkpath(QFileInfo(file).path());
    QFile f(QDir(root).filePath(file));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

} // namespace

class TestLayers : public QObject
{
    Q_OBJECT

private slots:
    void sourcesKeepTheirLayers();
    void findsPlantedViolations();
    void findsPastedStatements();
};

void TestLayers::sourcesKeepTheirLayers()
{
    const QString root = qEnvironmentVariableIsSet("VEXARO_LAYERS_SRC")
        ? qEnvironmentVariable("VEXARO_LAYERS_SRC")
        : QStringLiteral(VEXARO_SOURCE_DIR "/src");
    QVERIFY2(QDir(root).exists(), qPrintable(root));
    const QList<Violation> found = checkTree(root);
    for (const Violation &v : found)
        qWarning().noquote() << QString("%1/%2:%3: %4").arg(root, v.file).arg(v.line).arg(v.what);
    if (!found.isEmpty())
        QFAIL(qPrintable(QString("%1 layering violations, listed above").arg(found.size())));
}

void TestLayers::findsPlantedViolations()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString root = dir.path();
    // Clean: includes downwards, statements in the data layer and the report
    // layouts, SQL words only in comments and in names.
    writeFile(root, "db/Money.h", "#pragma once\n");
    writeFile(root, "components/Grid.h", "#include \"db/Money.h\"\n#include \"Grid2.h\"\n");
    writeFile(root, "data/Dm1Unit.cpp",
              "#include \"components/Grid.h\"\nauto s = \" Select * from CD \"\n  \"where ID=:IDX\";\n");
    writeFile(root, "data/ShopBook.cpp", "auto k = u\" Insert Into Kasa (Borc) Values (:Borc)\";\n");
    writeFile(root, "reports/Report1Unit.cpp", "auto s = \"Select Sum(Borc) from Kasa\";\n");
    writeFile(root, "shell/FrmMainUnit.cpp", "#include \"rental/FrmCDKiraUnit.h\"\n#include \"shell/FrmMainUnit.h\"\n");
    writeFile(root, "rental/FrmCDKiraUnit.cpp",
              "#include \"app/WindowRefs.h\"\n#include \"data/Dm1Unit.h\"\n"
              "// Select * from CD runs in the data module; no Transaction here\n"
              "/* Insert Into Kasa\n   is the engine's */\n"
              "bool IsNewTransaction = 1'000 > 'x';\nauto t = \"Update the list\";\n");
    QCOMPARE(describe(root), QStringList());

    // Planted: one breach of each rule.
    writeFile(root, "components/Grid.cpp", "#include \"components/Grid.h\"\n#include \"data/Dm1Unit.h\"\n");
    writeFile(root, "rental/FrmTakasUnit.cpp",
              "#include \"shell/FrmMainUnit.h\"\n"
              "void f() {\n  d.setSql(QStringLiteral(\"Select * from CD\"));\n"
              "  QSqlQuery q;\n  Transaction tx(db);\n  q.prepare(R\"( delete\n from CD)\");\n}\n");
    writeFile(root, "data/Engine.cpp", "auto s = \" Insert  Into\"\n\"\tKASA (Borc) \";\n");
    writeFile(root, "tools/Extra.cpp", "\n");
    writeFile(root, "data/Tariff.cpp", "#include \"data/Tariff.h\"\n#include \"db/Money.h\"\n#include \"components/Format.h\"\n");
    // The registry sits below the windows; windows sit below the frame's folder.
    writeFile(root, "app/WindowRegistry.cpp", "#include \"app/WindowRegistry.h\"\n#include \"rental/FrmCDKiraUnit.h\"\n");
    writeFile(root, "cashbox/DlgKasaSifreUnit.cpp", "#include \"app/WindowRegistry.h\"\n#include \"shell/FrmUserXUnit.h\"\n");
    // Its own reference and another's opener are fine; another's members are not.
    writeFile(root, "cashbox/FrmKasaHareketGirisUnit.cpp",
              "#include \"cashbox/FrmKasaHareketUnit.h\"\n"
              "void open() { FrmKasaHareketGiris->Edit1->setText(t); RefreshCashBoxTotals(); }\n"
              "void done() {\n  // FrmKasaHareket->showTotals() was here\n  auto s = \"FrmKasaHareket->\";\n"
              "  FrmKasaHareket.data()->showTotals(FrmKasaHareket->shown());\n}\n");
    writeFile(root, "rental/DlgBarkodOkuUnit.cpp", "void f() { if (FrmCDKira) FrmCDKira -> DBComboBox2Change(); }\n");

    const QStringList expected = {
        "app/WindowRegistry.cpp:2 app may not include rental/FrmCDKiraUnit.h",
        "cashbox/DlgKasaSifreUnit.cpp:2 cashbox may not include shell/FrmUserXUnit.h",
        "cashbox/FrmKasaHareketGirisUnit.cpp:6 reaches into the window FrmKasaHareket (call its opener)",
        "components/Grid.cpp:2 components may not include data/Dm1Unit.h",
        "data/Engine.cpp:1 ledger rows are written only by data/ShopBook.cpp",
        "data/Tariff.cpp:3 the engine may not include components/Format.h",
        "rental/DlgBarkodOkuUnit.cpp:1 reaches into the window FrmCDKira (call its opener)",
        "rental/FrmTakasUnit.cpp:1 a window includes the frame shell/FrmMainUnit.h",
        "rental/FrmTakasUnit.cpp:3 SQL in a window: \"Select * from CD\"",
        "rental/FrmTakasUnit.cpp:3 setSql in a window",
        "rental/FrmTakasUnit.cpp:4 QSqlQuery in a window",
        "rental/FrmTakasUnit.cpp:5 Transaction in a window",
        "rental/FrmTakasUnit.cpp:6 SQL in a window: \"delete from CD\"",
        "tools/Extra.cpp:1 folder 'tools' has no place among the layers",
    };
    QCOMPARE(describe(root), expected);
}

void TestLayers::findsPastedStatements()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString root = dir.path();
    // Clean: literals with literals, constants made of literals, numbers, a
    // fragment on the list, .arg() with a literal, messages that are no SQL.
    writeFile(root, "data/ShopBook.cpp",
              "const QString Head = QStringLiteral(\" Select * from CD \");\n"
              "const QString Open = Head + \" Where CDDurum=0 \";\n"
              "void f(const QString &name, int n) {\n"
              "  s.setSql(Open + QStringLiteral(\" and CdNo=:Cd \") + \"Order by ID\");\n"
              "  s.setSql(QStringLiteral(\"Select Max(%1) from %2\").arg(nc.column, nc.table));\n"
              "  s.setSql(QStringLiteral(\"Select * from CD where Stok > %1\").arg(0));\n"
              "  fail(QStringLiteral(\"'%1' is not a number; choose another from the list\").arg(name));\n"
              "  where += QStringLiteral(\" and IslemTur=:Tur \");\n}\n");
    QCOMPARE(describe(root), QStringList());

    // Planted: a typed name, a chosen id and a list's text pasted into statements.
    writeFile(root, "data/Dm1Unit.cpp",
              "void g() {\n"
              "  CD->setSql(\"Select * from CD Where FilmAdi='\" + edit->text() + \"'\");\n"
              "  q.prepare(QStringLiteral(\" Delete from Kasa \")\n"
              "            + QStringLiteral(\" Where ID=%1\").arg(QString::number(id)));\n"
              "  auto c = QLatin1String(\"KonuTur = '\") + list->currentText()\n"
              "         + QLatin1String(\"' and \") + Head;\n"
              "}\n");
    // A fragment is safe only in the file the list names.
    writeFile(root, "data/LedgerData.cpp", "void h() { s.setSql(u\" Select * from \" + table + u\" Order by \" + column); }\n");
    const QStringList expected = {
        "data/Dm1Unit.cpp:2 SQL pasted together with edit->text() (bind it)",
        "data/Dm1Unit.cpp:4 SQL pasted together with QString::number(id) (bind it)",
        "data/Dm1Unit.cpp:5 SQL pasted together with list->currentText() (bind it)",
        "data/Dm1Unit.cpp:6 SQL pasted together with Head (bind it)",
        "data/LedgerData.cpp:1 SQL pasted together with column (bind it)",
        "data/LedgerData.cpp:1 SQL pasted together with table (bind it)",
    };
    QCOMPARE(describe(root), expected);
}

QTEST_GUILESS_MAIN(TestLayers)
#include "tst_layers.moc"
