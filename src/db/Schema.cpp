#include "db/Schema.h"

#include "db/SqlDialect.h"

#include <QHash>

namespace {

using T = ColumnType;

constexpr ColumnDef Musteri[] = {
    {"ID", T::AutoNumber},       {"AdSoyad", T::Text, 50},     {"Telefon", T::Text, 50},
    {"Adres", T::Memo},          {"IsTelefon", T::Text, 50},   {"EvTelefon", T::Text, 50},
    {"CepTelefon", T::Text, 50}, {"MusteriNo", T::Integer},    {"UyelikBasTarih", T::DateTime},
    {"Depozito", T::Currency},   {"UyelikDurum", T::Integer},  {"EMail", T::Text, 50},
    {"Aciklama", T::Memo},       {"Resim", T::Blob},
};

constexpr ColumnDef CD[] = {
    {"ID", T::AutoNumber},          {"CDNo", T::Integer},          {"CDTur", T::Text, 50},
    {"FilmAdi", T::Text, 100},      {"AlinisTarih", T::DateTime},  {"Gun", T::Integer},
    {"Stok", T::Integer},           {"YapimYili", T::Integer},     {"KonuTur", T::Text, 50},
    {"Aciklama", T::Memo},          {"KutuIcerik", T::Integer},    {"FilmSirketi", T::Text, 50},
    {"Dublaj", T::Text, 50},        {"FilmSure", T::Integer},      {"MaliyetFiyat", T::Currency},
    {"SatisFiyat", T::Currency},    {"Yonetmen", T::Text, 50},     {"CDFaturaNo", T::Text, 50},
    {"KiralamaSayi", T::Integer},   {"FilmKonu", T::Memo},         {"Barkod", T::Text, 50},
    {"DagiticiFirma", T::Text, 50}, {"Oyuncu", T::Text, 50},
};

constexpr ColumnDef Hareket[] = {
    {"ID", T::AutoNumber},          {"IslemTur", T::Text, 20},      {"MusteriNo", T::Integer},
    {"CdNo", T::Integer},           {"IslemTarih", T::DateTime},    {"KiralamaGun", T::Integer},
    {"SonTarih", T::DateTime},      {"TakasCDNo", T::Integer},      {"TeslimTarih", T::DateTime},
    {"KiraTarih", T::DateTime},     {"SatisTarih", T::DateTime},    {"TakasTarih", T::DateTime},
    {"CezaGunSayi", T::Integer},    {"CezaTutari", T::Currency},    {"FilmTuru", T::Text, 50},
    {"CDDurum", T::Integer, 0, "0"}, {"SatisFiyat", T::Currency},   {"CezaDurum", T::Integer},
    {"GelecekTarih", T::DateTime},  {"Kayit", T::Integer},          {"Barkod", T::Text, 50},
    {"TopTutar", T::Currency},      {"Veresiye", T::Integer},
};

constexpr ColumnDef Kasa[] = {
    {"ID", T::AutoNumber},       {"HareketID", T::Integer},   {"Borc", T::Currency},
    {"Alacak", T::Currency},     {"BorcUSD", T::Currency},    {"AlacakUSD", T::Currency},
    {"BorcEuro", T::Currency},   {"AlacakEuro", T::Currency}, {"MusteriID", T::Integer},
    {"Islem", T::Text, 50},      {"CDID", T::Integer},        {"Saat", T::DateTime},
    {"Tarih", T::DateTime},      {"Aciklama", T::Text, 100},
};

// Who corrected or deleted which ledger row, when, and the row as it was
// before. The ledger window, its totals and its report never read it.
constexpr ColumnDef KasaLog[] = {
    {"ID", T::AutoNumber},       {"KasaID", T::Integer},        {"Degisiklik", T::Text, 20},
    {"Kullanici", T::Text, 50},  {"DegisimZamani", T::DateTime}, {"HareketID", T::Integer},
    {"Borc", T::Currency},       {"Alacak", T::Currency},       {"BorcUSD", T::Currency},
    {"AlacakUSD", T::Currency},  {"BorcEuro", T::Currency},     {"AlacakEuro", T::Currency},
    {"MusteriID", T::Integer},   {"Islem", T::Text, 50},        {"CDID", T::Integer},
    {"Saat", T::DateTime},       {"Tarih", T::DateTime},        {"Aciklama", T::Text, 100},
};

// The ledger summed by day and kind of movement, kept by the database itself
// (triggers on Kasa) so that every writer keeps it right. Totals and charts of
// a long period read a few rows a day instead of every movement; IlkID and
// SonID bound the IDs of the day's rows (a deletion may leave them wider than
// needed, never narrower), so a period's list reads only its own stretch of
// the ledger.
constexpr ColumnDef KasaGun[] = {
    {"ID", T::AutoNumber},       {"Tarih", T::DateTime},  {"Islem", T::Text, 50},
    {"Adet", T::Integer},        {"Borc", T::Currency},   {"Alacak", T::Currency},
    {"GelirBorc", T::Currency},  {"IlkID", T::Integer},   {"SonID", T::Integer},
};

constexpr ColumnDef Tarife[] = {
    {"ID", T::Integer},
    {"GunlukVCD_Kira", T::Currency},    {"GunlukDVD_Kira", T::Currency},
    {"DivxGunluk_Kira", T::Currency},   {"UyeGunlukVCD_Kira", T::Currency},
    {"UyeGunlukDVD_Kira", T::Currency}, {"UyeGunlukDivx_Kira", T::Currency},
    {"TakasUcretiVCD", T::Currency},    {"TakasUcretiDVD", T::Currency},
    {"GunlukCeza", T::Currency},        {"GunlukVCDCeza", T::Currency},
    {"GunlukDVDCeza", T::Currency},     {"GunlukDivxCeza", T::Currency},
    {"VCDSatis", T::Currency},          {"DVDSatis", T::Currency},
    {"DivXSatis", T::Currency},         {"PazarGunu", T::Integer},
    {"StokSayisi", T::Integer},         {"TarifeTur", T::Double},
};

// Config carries an added key so that its one row can be updated like any other.
// The automatic backups' settings live in it too, so that every counter of a
// shop keeps the same generations: on or off, and how many daily, weekly and
// monthly copies are kept.
constexpr ColumnDef Config[] = {
    {"ID", T::AutoNumber}, {"MailAdres", T::Text, 100}, {"MailSifre", T::Text, 100}, {"MailSMTP", T::Text, 100},
    {"YedekOto", T::Integer, 0, "1", true},     {"YedekGunluk", T::Integer, 0, "7", true},
    {"YedekHaftalik", T::Integer, 0, "4", true}, {"YedekAylik", T::Integer, 0, "12", true},
    // The most discs one customer may have out on rent; 0: no limit.
    {"MaxDiscsOut", T::Integer, 0, "0", true},
};

constexpr ColumnDef Users[] = {
    {"ID", T::AutoNumber}, {"UserName", T::Text, 50}, {"Password", T::Text, 50},
};

constexpr ColumnDef Doviz[] = {
    {"ID", T::AutoNumber},     {"Tarih", T::DateTime},     {"USDAlis", T::Currency},
    {"USDSatis", T::Currency}, {"EuroAlis", T::Currency},  {"EuroSatis", T::Currency},
};

constexpr ColumnDef Mail[] = {
    {"ID", T::AutoNumber},  {"Gonderen", T::Text, 100}, {"Alici", T::Text, 100},
    {"Tarih", T::DateTime}, {"Konu", T::Text, 100},     {"Mail", T::Blob},
    {"Durum", T::Integer},
};

constexpr ColumnDef SMS[] = {
    {"ID", T::AutoNumber}, {"Telefon", T::Text, 50}, {"Mesaj", T::Memo}, {"Tarih", T::DateTime},
};

constexpr ColumnDef Oyuncu[] = {{"ID", T::AutoNumber}, {"OyuncuAdi", T::Text, 50}};
constexpr ColumnDef YonetmenT[] = {{"ID", T::AutoNumber}, {"Yonetmen", T::Text, 50}};
constexpr ColumnDef DagiticiFirmaT[] = {{"ID", T::AutoNumber}, {"DagiticiFirma", T::Text, 50}};
constexpr ColumnDef FilmSirket[] = {{"ID", T::AutoNumber}, {"FilmSirket", T::Text, 50}};
constexpr ColumnDef FilmTur[] = {{"ID", T::AutoNumber}, {"FilmTur", T::Text, 50}};

const TableDef Tables[] = {
    {"Musteri", Musteri}, {"CD", CD},         {"Hareket", Hareket},
    {"Kasa", Kasa},       {"Tarife", Tarife}, {"Config", Config},
    {"Users", Users},     {"Doviz", Doviz},   {"mail", Mail},
    {"SMS", SMS},         {"Oyuncu", Oyuncu}, {"Yonetmen", YonetmenT},
    {"DagiticiFirma", DagiticiFirmaT},        {"FilmSirket", FilmSirket},
    {"FilmTur", FilmTur},
    {"KasaLog", KasaLog, true},
    {"KasaGun", KasaGun, true},
};

// Every column a window filters, joins or orders by.
const IndexDef Indexes[] = {
    {"IX_Hareket_MusteriNo", "Hareket", "MusteriNo"},
    {"IX_Hareket_CdNo", "Hareket", "CdNo"},
    {"IX_Hareket_CDDurum", "Hareket", "CDDurum"},
    // The lists of rentals narrow by state and kind as well as by customer or
    // day: each such list has an index that holds all three, so the database
    // never walks every open transaction (nor every open sale) to find a
    // customer's discs or a day's returns.
    {"IX_Hareket_DurumTur", "Hareket", "CDDurum, IslemTur"},
    {"IX_Hareket_MusteriDurumTur", "Hareket", "MusteriNo, CDDurum, IslemTur"},
    {"IX_Hareket_GelecekDurumTur", "Hareket", "GelecekTarih, CDDurum, IslemTur"},
    {"IX_Hareket_TeslimDurumTur", "Hareket", "TeslimTarih, CDDurum, IslemTur"},
    {"IX_Hareket_KiraDurumTur", "Hareket", "KiraTarih, CDDurum, IslemTur"},
    {"IX_Hareket_KiraTarih", "Hareket", "KiraTarih"},
    {"IX_Hareket_GelecekTarih", "Hareket", "GelecekTarih"},
    {"IX_Hareket_TeslimTarih", "Hareket", "TeslimTarih"},
    {"IX_Hareket_Barkod", "Hareket", "Barkod"},
    // The renting charts count a period's rentals by title or by customer:
    // the index alone answers them, without reading the rows.
    {"IX_Hareket_KiraCdMusteri", "Hareket", "KiraTarih, CdNo, MusteriNo"},
    {"IX_Kasa_Tarih", "Kasa", "Tarih"},
    {"IX_Kasa_HareketID", "Kasa", "HareketID"},
    {"IX_Kasa_MusteriID", "Kasa", "MusteriID"},
    {"IX_Kasa_Islem", "Kasa", "Islem"},
    {"IX_CD_FilmAdi", "CD", "FilmAdi"},
    {"IX_CD_Barkod", "CD", "Barkod"},
    {"UX_CD_CDNo", "CD", "CDNo", true},
    {"IX_CD_KonuTur", "CD", "KonuTur, CDTur"},
    // The rent window lists the titles of one disc type by name, at each
    // choice of type and after each posting: read in order from the index.
    {"IX_CD_CDTurFilmAdi", "CD", "CDTur, FilmAdi"},
    {"IX_CD_CDFaturaNo", "CD", "CDFaturaNo"},
    {"IX_Musteri_AdSoyad", "Musteri", "AdSoyad"},
    {"UX_Musteri_MusteriNo", "Musteri", "MusteriNo", true},
    {"IX_Doviz_Tarih", "Doviz", "Tarih"},
    {"IX_Users_UserName", "Users", "UserName"},
    {"IX_mail_Durum", "mail", "Durum"},
    {"IX_Oyuncu_OyuncuAdi", "Oyuncu", "OyuncuAdi"},
    {"IX_Yonetmen_Yonetmen", "Yonetmen", "Yonetmen"},
    {"IX_DagiticiFirma_DagiticiFirma", "DagiticiFirma", "DagiticiFirma"},
    {"IX_FilmSirket_FilmSirket", "FilmSirket", "FilmSirket"},
    {"IX_FilmTur_FilmTur", "FilmTur", "FilmTur"},
    {"IX_KasaLog_KasaID", "KasaLog", "KasaID"},
    {"UX_KasaGun_TarihIslem", "KasaGun", "Tarih, Islem", true},
};

const QHash<QString, ColumnType> &typesByName()
{
    static const QHash<QString, ColumnType> map = [] {
        QHash<QString, ColumnType> m;
        for (const TableDef &t : Tables) {
            for (const ColumnDef &c : t.columns) {
                const QString key = QString::fromLatin1(c.name).toLower();
                // AutoNumber and Integer both read as whole numbers.
                const ColumnType type = c.type == T::AutoNumber ? T::Integer : c.type;
                const auto it = m.constFind(key);
                Q_ASSERT_X(it == m.cend() || *it == type
                               || ((*it == T::Text || *it == T::Memo) && (type == T::Text || type == T::Memo)),
                           "Schema", "a column name means two kinds of value");
                if (it == m.cend())
                    m.insert(key, type);
            }
        }
        return m;
    }();
    return map;
}

} // namespace

namespace Schema {

std::span<const TableDef> tables() { return Tables; }
std::span<const IndexDef> indexes() { return Indexes; }

const TableDef *table(QStringView name)
{
    for (const TableDef &t : Tables) {
        if (name.compare(QLatin1StringView(t.name), Qt::CaseInsensitive) == 0)
            return &t;
    }
    return nullptr;
}

const ColumnDef *column(QStringView tableName, QStringView columnName)
{
    const TableDef *t = table(tableName);
    if (!t)
        return nullptr;
    for (const ColumnDef &c : t->columns) {
        if (columnName.compare(QLatin1StringView(c.name), Qt::CaseInsensitive) == 0)
            return &c;
    }
    return nullptr;
}

std::optional<ColumnType> typeOfColumnName(QStringView column)
{
    const qsizetype dot = column.lastIndexOf(u'.');
    if (dot >= 0)
        column = column.mid(dot + 1);
    const auto &map = typesByName();
    const auto it = map.constFind(column.toString().toLower());
    if (it == map.cend())
        return std::nullopt;
    return *it;
}

QStringList createStatements(const SqlDialect &dialect)
{
    QStringList out;
    for (const TableDef &t : Tables) {
        QStringList cols;
        for (const ColumnDef &c : t.columns)
            cols << dialect.columnDefinition(c);
        out << QStringLiteral("CREATE TABLE %1 (\n  %2\n)").arg(QLatin1StringView(t.name), cols.join(QStringLiteral(",\n  ")));
    }
    for (const IndexDef &ix : Indexes) {
        out << QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
                   .arg(ix.unique ? QStringLiteral("UNIQUE ") : QString(), QLatin1StringView(ix.name),
                        QLatin1StringView(ix.table), QLatin1StringView(ix.columns));
    }
    return out;
}

QString createIndexStatement(const IndexDef &ix)
{
    return QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
        .arg(ix.unique ? QStringLiteral("UNIQUE ") : QString(), QLatin1StringView(ix.name),
             QLatin1StringView(ix.table), QLatin1StringView(ix.columns));
}

QStringList createTableStatements(const SqlDialect &dialect, QStringView table)
{
    QStringList out;
    const TableDef *t = Schema::table(table);
    if (!t)
        return out;
    QStringList cols;
    for (const ColumnDef &c : t->columns)
        cols << dialect.columnDefinition(c);
    out << QStringLiteral("CREATE TABLE %1 (\n  %2\n)").arg(QLatin1StringView(t->name), cols.join(QStringLiteral(",\n  ")));
    for (const IndexDef &ix : Indexes) {
        if (table.compare(QLatin1StringView(ix.table), Qt::CaseInsensitive) == 0)
            out << QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
                       .arg(ix.unique ? QStringLiteral("UNIQUE ") : QString(), QLatin1StringView(ix.name),
                            QLatin1StringView(ix.table), QLatin1StringView(ix.columns));
    }
    return out;
}

// ------------------------------------------------------------- ledger days

namespace {

// A row's share of its day: an empty amount counts as 0; "income" is money in
// with no money out on the same row (what the income chart counts).
const char *const SqliteLedgerDayAdd = R"(
  INSERT INTO KasaGun (Tarih, Islem, Adet, Borc, Alacak, GelirBorc, IlkID, SonID)
  SELECT substr(NEW.Tarih, 1, 10), coalesce(NEW.Islem, ''), 1, coalesce(NEW.Borc, 0), coalesce(NEW.Alacak, 0),
         CASE WHEN NEW.Borc > 0 AND coalesce(NEW.Alacak, 0) = 0 THEN NEW.Borc ELSE 0 END, NEW.ID, NEW.ID
  WHERE NEW.Tarih IS NOT NULL
  ON CONFLICT (Tarih, Islem) DO UPDATE SET Adet = Adet + 1, Borc = Borc + excluded.Borc,
     Alacak = Alacak + excluded.Alacak, GelirBorc = GelirBorc + excluded.GelirBorc,
     IlkID = min(IlkID, excluded.IlkID), SonID = max(SonID, excluded.SonID);
)";

const char *const SqliteLedgerDayRemove = R"(
  UPDATE KasaGun SET Adet = Adet - 1, Borc = Borc - coalesce(OLD.Borc, 0), Alacak = Alacak - coalesce(OLD.Alacak, 0),
     GelirBorc = GelirBorc - CASE WHEN OLD.Borc > 0 AND coalesce(OLD.Alacak, 0) = 0 THEN OLD.Borc ELSE 0 END
  WHERE Tarih = substr(OLD.Tarih, 1, 10) AND Islem = coalesce(OLD.Islem, '');
  DELETE FROM KasaGun WHERE Tarih = substr(OLD.Tarih, 1, 10) AND Islem = coalesce(OLD.Islem, '') AND Adet <= 0;
)";

const char *const PostgresLedgerDayFunction = R"(
CREATE OR REPLACE FUNCTION kasagun_izle() RETURNS trigger LANGUAGE plpgsql AS $body$
BEGIN
  IF TG_OP IN ('DELETE', 'UPDATE') AND OLD.Tarih IS NOT NULL THEN
    UPDATE KasaGun SET Adet = Adet - 1, Borc = Borc - coalesce(OLD.Borc, 0), Alacak = Alacak - coalesce(OLD.Alacak, 0),
       GelirBorc = GelirBorc - CASE WHEN OLD.Borc > 0 AND coalesce(OLD.Alacak, 0) = 0 THEN OLD.Borc ELSE 0 END
    WHERE Tarih = date_trunc('day', OLD.Tarih) AND Islem = coalesce(OLD.Islem, '');
    DELETE FROM KasaGun WHERE Tarih = date_trunc('day', OLD.Tarih) AND Islem = coalesce(OLD.Islem, '') AND Adet <= 0;
  END IF;
  IF TG_OP IN ('INSERT', 'UPDATE') AND NEW.Tarih IS NOT NULL THEN
    INSERT INTO KasaGun (Tarih, Islem, Adet, Borc, Alacak, GelirBorc, IlkID, SonID)
    VALUES (date_trunc('day', NEW.Tarih), coalesce(NEW.Islem, ''), 1, coalesce(NEW.Borc, 0), coalesce(NEW.Alacak, 0),
            CASE WHEN NEW.Borc > 0 AND coalesce(NEW.Alacak, 0) = 0 THEN NEW.Borc ELSE 0 END, NEW.ID, NEW.ID)
    ON CONFLICT (Tarih, Islem) DO UPDATE SET Adet = KasaGun.Adet + 1, Borc = KasaGun.Borc + EXCLUDED.Borc,
       Alacak = KasaGun.Alacak + EXCLUDED.Alacak, GelirBorc = KasaGun.GelirBorc + EXCLUDED.GelirBorc,
       IlkID = least(KasaGun.IlkID, EXCLUDED.IlkID), SonID = greatest(KasaGun.SonID, EXCLUDED.SonID);
  END IF;
  RETURN NULL;
END
$body$
)";

} // namespace

QStringList ledgerDayTriggerNames(const SqlDialect &dialect)
{
    if (dialect.backend() == Backend::PostgreSQL)
        return {QStringLiteral("kasagun_izle")};
    return {QStringLiteral("kasagun_ekle"), QStringLiteral("kasagun_sil"), QStringLiteral("kasagun_degistir")};
}

QStringList ledgerDayStatements(const SqlDialect &dialect)
{
    QStringList out;
    // The days are summed afresh from the ledger: the triggers were missing,
    // so the table may be empty or out of step.
    out << QStringLiteral("DELETE FROM KasaGun");
    const bool pg = dialect.backend() == Backend::PostgreSQL;
    const QString day = pg ? QStringLiteral("date_trunc('day', Tarih)") : QStringLiteral("substr(Tarih, 1, 10)");
    out << QStringLiteral("INSERT INTO KasaGun (Tarih, Islem, Adet, Borc, Alacak, GelirBorc, IlkID, SonID) "
                          "SELECT %1, coalesce(Islem, ''), count(*), sum(coalesce(Borc, 0)), sum(coalesce(Alacak, 0)), "
                          "sum(CASE WHEN Borc > 0 AND coalesce(Alacak, 0) = 0 THEN Borc ELSE 0 END), min(ID), max(ID) "
                          "FROM Kasa WHERE Tarih IS NOT NULL GROUP BY %1, coalesce(Islem, '')")
               .arg(day);
    if (pg) {
        out << QString::fromLatin1(PostgresLedgerDayFunction)
            << QStringLiteral("CREATE OR REPLACE TRIGGER kasagun_izle AFTER INSERT OR UPDATE OR DELETE ON Kasa "
                              "FOR EACH ROW EXECUTE FUNCTION kasagun_izle()");
        return out;
    }
    out << QStringLiteral("DROP TRIGGER IF EXISTS kasagun_ekle") << QStringLiteral("DROP TRIGGER IF EXISTS kasagun_sil")
        << QStringLiteral("DROP TRIGGER IF EXISTS kasagun_degistir")
        << QStringLiteral("CREATE TRIGGER kasagun_ekle AFTER INSERT ON Kasa BEGIN %1 END")
               .arg(QLatin1StringView(SqliteLedgerDayAdd))
        << QStringLiteral("CREATE TRIGGER kasagun_sil AFTER DELETE ON Kasa BEGIN %1 END")
               .arg(QLatin1StringView(SqliteLedgerDayRemove))
        << QStringLiteral("CREATE TRIGGER kasagun_degistir AFTER UPDATE OF ID, Tarih, Islem, Borc, Alacak ON Kasa BEGIN %1 %2 END")
               .arg(QLatin1StringView(SqliteLedgerDayRemove), QLatin1StringView(SqliteLedgerDayAdd));
    return out;
}

QStringList startingRowStatements()
{
    QStringList prices;
    QStringList zeros;
    for (const ColumnDef &c : std::span<const ColumnDef>(Tarife)) {
        if (c.type == T::Currency) {
            prices << QLatin1StringView(c.name);
            zeros << QStringLiteral("0");
        }
    }
    return {
        QStringLiteral("INSERT INTO Users (UserName, Password) VALUES ('QORV', 'QORV')"),
        QStringLiteral("INSERT INTO Tarife (ID, %1, PazarGunu, StokSayisi, TarifeTur) VALUES (1, %2, 0, 0, 1)")
            .arg(prices.join(QStringLiteral(", ")), zeros.join(QStringLiteral(", "))),
        QStringLiteral("INSERT INTO Config (MailAdres, MailSifre, MailSMTP) VALUES (NULL, NULL, NULL)"),
    };
}

} // namespace Schema
