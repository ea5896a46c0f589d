// Scanned barcodes and typed search texts through the dataset's locate
// (exact, case-insensitive with the Turkish fold, prefix) and through a
// bound search statement, on a small SQLite shop: no text may crash them,
// and each finds exactly the first row that matches it.
#include "FuzzCheck.h"
#include "components/DataSet.h"
#include "components/TurkishText.h"
#include "db/Database.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdlib>

namespace {

const QStringList Names = {"İlker", "Işık", "ışık", "IŞIK YOLU", "ilk adım", "100%_off", "O'Brien \"x\"", "a;b\\c",
                           "", "Çağ", "8690000000001"};
const QStringList Barcodes = {"8690000000001", "869", "abc%", "ABC_", "ğüşıöç", "ĞÜŞİÖÇ", "'", "", "x y", "İ", "ı"};

DataSet *titles = nullptr;
DataSet *byBarcode = nullptr;

bool matches(const QString &stored, const QString &needle, DataSet::LocateOptions options)
{
    QString a = stored, b = needle;
    if (options & DataSet::CaseInsensitive) {
        a = turkishFold(a);
        b = turkishFold(b);
    }
    return (options & DataSet::PartialKey) ? a.startsWith(b) : a == b;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    static QTemporaryDir dir;
    QString error;
    if (!Database::open(DatabaseTarget::sqliteFile(dir.filePath("CD.db")), Database::ConnectionName, &error)) {
        std::fprintf(stderr, "cannot open the test shop: %s\n", qPrintable(error));
        std::abort();
    }
    QSqlQuery q(Database::connection());
    q.exec("PRAGMA synchronous=OFF");
    for (int i = 0; i < Names.size(); ++i) {
        q.prepare("INSERT INTO CD (CDNo, FilmAdi, Barkod) VALUES (?, ?, ?)");
        q.addBindValue(i + 1);
        q.addBindValue(Names[i]);
        q.addBindValue(Barcodes[i]);
        FUZZ_CHECK(q.exec(), "insert");
    }
    titles = new DataSet("CD");
    titles->setSql("Select * from CD Order by CDNo");
    FUZZ_CHECK(titles->open(), titles->lastError());
    titles->fetchAll();
    byBarcode = new DataSet("CDBarkod");
    // Everything closed before the leak check at exit.
    std::atexit([] {
        delete byBarcode;
        delete titles;
        Database::close(Database::ConnectionName);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString needle = fuzzText(data, size);
    const struct { const char *field; const QStringList &values; } fields[] = {{"FilmAdi", Names}, {"Barkod", Barcodes}};
    const DataSet::LocateOptions optionSets[] = {DataSet::NoLocateOptions, DataSet::CaseInsensitive, DataSet::PartialKey,
                                                 DataSet::CaseInsensitive | DataSet::PartialKey};
    for (const auto &f : fields) {
        for (const auto options : optionSets) {
            int expected = -1;
            for (int i = 0; i < f.values.size() && expected < 0; ++i) {
                if (matches(f.values[i], needle, options))
                    expected = i;
            }
            const int before = titles->recNo();
            const bool found = titles->locate(QString::fromLatin1(f.field), needle, options);
            FUZZ_CHECK(found == (expected >= 0), QStringLiteral("%1 '%2' options %3").arg(f.field, needle).arg(int(options)));
            FUZZ_CHECK(titles->recNo() == (found ? expected : before), needle);
        }
    }
    // The barcode as a bound value: compared exactly, whatever it holds.
    byBarcode->setSql("Select * from CD where Barkod = :B");
    byBarcode->setParameter("B", needle);
    FUZZ_CHECK(byBarcode->open(), byBarcode->lastError());
    FUZZ_CHECK(byBarcode->recordCount() == Barcodes.count(needle), needle);
    byBarcode->close();
    return 0;
}
