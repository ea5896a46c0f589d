// The program's layers, checked on the sources themselves: includes run
// downwards only, windows hold no SQL, and one place books sales into the
// cash box. Reads every .h/.cpp under src/ (or the folder named by
// VEXARO_LAYERS_SRC) and names the file and line of each breach.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
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
            {"shell", {"*"}, true},
        };
        for (const QString &w : Windows)
            t.append({w, QStringList{"data", "components", "db", "shell"} + Windows, true});
        return t;
    }();
    return table;
}

// No window includes the frame; only the frame opens windows.
const QString FrameHeader = "shell/FrmMainUnit.h";
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
            if (!layer->mayInclude.contains("*") && !layer->mayInclude.contains(targetFolder))
                found.append({file, ln + 1, QString("%1 may not include %2").arg(folder, target)});
            else if (Windows.contains(folder) && target == FrameHeader)
                found.append({file, ln + 1, QString("a window includes the frame %1").arg(target)});
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
    }
    std::sort(found.begin(), found.end(), [](const Violation &a, const Violation &b) {
        return std::tie(a.file, a.line, a.what) < std::tie(b.file, b.line, b.what);
    });
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
              "#include \"shell/WindowRefs.h\"\n#include \"data/Dm1Unit.h\"\n"
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

    const QStringList expected = {
        "components/Grid.cpp:2 components may not include data/Dm1Unit.h",
        "data/Engine.cpp:1 ledger rows are written only by data/ShopBook.cpp",
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

QTEST_GUILESS_MAIN(TestLayers)
#include "tst_layers.moc"
