#include "ShopGenerator.h"

#include "db/Money.h"
#include "db/Schema.h"
#include "db/SqlDialect.h"
#include "db/Transaction.h"
#include "data/Tariff.h"

#include <QDateTime>
#include <QSet>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <numeric>
#include <utility>
#include <vector>
#include <libpq-fe.h>

std::optional<ShopSize> ShopSize::named(QStringView name)
{
    const QString n = name.trimmed().toString().toUpper();
    if (n == QLatin1String("S"))
        return ShopSize{1000, 2000, 20000, 30000};
    if (n == QLatin1String("M"))
        return ShopSize{10000, 20000, 200000, 300000};
    if (n == QLatin1String("L"))
        return ShopSize{20000, 50000, 1000000, 1500000};
    return std::nullopt;
}

namespace {

// splitmix64: tiny, fast, and the same numbers on every compiler and library,
// which the std distributions do not promise. A seed must give the same shop
// wherever it runs.
class Rng
{
public:
    explicit Rng(quint64 state) : m_state(state) {}

    quint64 next()
    {
        quint64 z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // 0 <= result < n
    int below(int n) { return n <= 1 ? 0 : int(((next() >> 32) * quint64(n)) >> 32); }
    // from <= result <= to
    int between(int from, int to) { return from + below(to - from + 1); }
    double unit() { return double(next() >> 11) * 0x1.0p-53; }
    bool chance(double p) { return unit() < p; }
    template<typename T, size_t N>
    const T &pick(const T (&items)[N]) { return items[below(int(N))]; }

private:
    quint64 m_state;
};

// Each part of the shop draws from its own stream, so that changing how one
// part is made does not reshuffle all the others.
quint64 streamSeed(quint32 seed, quint64 stream)
{
    Rng r((quint64(seed) << 32) ^ (stream * 0xD1B54A32D192ED03ull));
    return r.next();
}

QString str(const char16_t *text) { return QString::fromUtf16(text); }

constexpr Money cents(qint64 c) { return Money::fromRaw(c * 100); }

// ---------------------------------------------------------------- the catalogue

// The tariff has three lines of prices. Games are charged on the line of the
// disc they come on: CD-ROM games like VCDs, DVD and Blu-ray games like DVDs.
enum PriceLine { VcdLine, DvdLine, DivxLine };

struct Medium
{
    const char16_t *name;
    int share;       // titles in a thousand
    PriceLine line;
    bool game;
    int costFrom;    // purchase price range, in quarters of the unit
    int costTo;
};

constexpr Medium Media[] = {
    {u"VCD", 220, VcdLine, false, 12, 30},       {u"DVD", 300, DvdLine, false, 32, 88},
    {u"DivX", 180, DivxLine, false, 4, 12},      {u"PC Game", 100, VcdLine, true, 60, 240},
    {u"PS1 Game", 50, VcdLine, true, 32, 80},    {u"PS2 Game", 100, DvdLine, true, 80, 220},
    {u"PS3 Game", 50, DvdLine, true, 180, 360},
};
constexpr int MediaCount = int(std::size(Media));

// The shop's tariff, written into Tarife row 1 so that every amount charged
// can be traced back to it.
struct PriceList
{
    Money rent[3] = {cents(150), cents(250), cents(100)};
    Money memberRent[3] = {cents(100), cents(200), cents(75)};
    Money exchangeFee[3] = {cents(50), cents(100), cents(50)};
    Money penalty[3] = {cents(100), cents(150), cents(50)};
    Money dailyPenalty = cents(100);
    Money sale[3] = {cents(500), cents(1250), cents(300)};
};
const PriceList Prices;

// The same tariff as the program's pricing rules read it. Sundays are no
// rental days (PazarGunu 0) and a rental is charged per day (TarifeTur 1):
// the starting tariff's switches, written again with the prices.
TariffCache programTariff()
{
    TariffCache t;
    t.GunlukVCD_Kira = Prices.rent[VcdLine];
    t.GunlukDVD_Kira = Prices.rent[DvdLine];
    t.DivxGunluk_Kira = Prices.rent[DivxLine];
    t.UyeGunlukVCD_Kira = Prices.memberRent[VcdLine];
    t.UyeGunlukDVD_Kira = Prices.memberRent[DvdLine];
    t.UyeGunlukDivx_Kira = Prices.memberRent[DivxLine];
    t.TakasUcretiVCD = Prices.exchangeFee[VcdLine];
    t.TakasUcretiDVD = Prices.exchangeFee[DvdLine];
    t.GunlukVCDCeza = Prices.penalty[VcdLine];
    t.GunlukDVDCeza = Prices.penalty[DvdLine];
    t.GunlukDivxCeza = Prices.penalty[DivxLine];
    t.VCDSatis = Prices.sale[VcdLine];
    t.DVDSatis = Prices.sale[DvdLine];
    t.DivXSatis = Prices.sale[DivxLine];
    t.PazarGunu = 0;
    t.TarifeTur = 1;
    return t;
}

constexpr const char16_t *FilmGenres[] = {
    u"Action",  u"Comedy",  u"Drama",   u"Horror",      u"Science Fiction", u"Adventure", u"Animation",
    u"Romance", u"Thriller", u"Crime",  u"Documentary", u"War",             u"Western",   u"Fantasy",
    u"Musical", u"Family",  u"History", u"Biography",   u"Mystery",         u"Yeşilçam",  u"Türk Komedisi",
};
constexpr const char16_t *GameGenres[] = {
    u"Racing", u"Sports", u"Strategy", u"Role-Playing", u"Shooter", u"Platform", u"Fighting", u"Simulation", u"Puzzle",
};
constexpr int FilmGenreCount = int(std::size(FilmGenres));
constexpr int GenreCount = FilmGenreCount + int(std::size(GameGenres));

QString genreName(int genre)
{
    return genre < FilmGenreCount ? str(FilmGenres[genre]) : str(GameGenres[genre - FilmGenreCount]);
}

constexpr const char16_t *FilmCompanies[] = {
    u"Anadolu Film",          u"Boğaziçi Yapım",        u"Kuzey Işık Film",       u"Silver Lake Pictures",
    u"Northbridge Studios",   u"Red Harbor Films",      u"Ege Sinema",            u"Karadeniz Prodüksiyon",
    u"Lighthouse Entertainment", u"Marmara Film",       u"Blue Meadow Pictures",  u"Toros Film",
    u"Çınar Yapım",           u"Kapadokya Film",        u"Westwind Studios",      u"Paper Moon Films",
    u"İstanbul Sinema Atölyesi", u"Güney Rüzgârı Film", u"Oak Valley Pictures",   u"Şahika Film",
};
constexpr const char16_t *GameStudios[] = {
    u"Pixelforge Games", u"Nova Arcade", u"Yıldız İnteraktif", u"Blackrock Interactive", u"Quantum Bit",
    u"Steel Owl Games",  u"Orbit Play",
};
constexpr int FilmCompanyCount = int(std::size(FilmCompanies));
constexpr int CompanyCount = FilmCompanyCount + int(std::size(GameStudios));

QString companyName(int company)
{
    return company < FilmCompanyCount ? str(FilmCompanies[company]) : str(GameStudios[company - FilmCompanyCount]);
}

constexpr const char16_t *Distributors[] = {
    u"Özgür Video Dağıtım",  u"Kuzey Dağıtım",     u"Marmara Home Video", u"Pegasus Home Entertainment",
    u"Ege Medya",            u"Başkent Video",     u"Şafak Dağıtım",      u"Atlas Media",
    u"Umut Film Dağıtım",    u"Çağdaş Video",      u"Gökkuşağı Medya",    u"Horizon Distribution",
    u"Delta Home Video",     u"İpek Yolu Medya",   u"Northstar Distribution",
};
constexpr int DistributorCount = int(std::size(Distributors));

constexpr const char16_t *TrMale[] = {
    u"Ahmet", u"Mehmet", u"Mustafa", u"Ali",    u"Hüseyin", u"Hasan",  u"İbrahim", u"İsmail", u"Ömer",
    u"Yusuf", u"Murat",  u"Emre",    u"Gökhan", u"Burak",   u"Serkan", u"Oğuz",    u"Tolga",  u"Çağrı",
    u"Uğur",  u"Doğan",  u"Şükrü",   u"Ümit",   u"Erkan",   u"Barış",  u"Kaan",    u"Tuğrul", u"Onur",
    u"Volkan", u"Selçuk", u"Levent", u"Ilgaz",  u"Özgür",   u"Ertuğrul", u"Cem",   u"Sinan",  u"Görkem",
};
constexpr const char16_t *TrFemale[] = {
    u"Ayşe",  u"Fatma", u"Emine", u"Hatice", u"Zeynep", u"Elif",  u"Merve", u"Özge",  u"Özlem",
    u"Şeyma", u"Çağla", u"Gülşen", u"Tuğba", u"Yağmur", u"Büşra", u"Derya", u"Sevgi", u"Ebru",
    u"Dilek", u"Gökçe", u"İpek",  u"Irmak", u"Ilgın",  u"Şule",  u"Nur",   u"Pınar", u"Sıla",
    u"Müge",  u"Hülya", u"Ülkü",  u"Aslı",  u"Gözde",  u"Dilşad", u"Nilüfer",
};
constexpr const char16_t *TrSurnames[] = {
    u"Yılmaz",  u"Kaya",     u"Demir",   u"Şahin",   u"Çelik",   u"Yıldız",   u"Yıldırım", u"Öztürk",
    u"Aydın",   u"Özdemir",  u"Arslan",  u"Doğan",   u"Kılıç",   u"Aslan",    u"Çetin",    u"Kara",
    u"Koç",     u"Kurt",     u"Özkan",   u"Şimşek",  u"Polat",   u"Korkmaz",  u"Güneş",    u"Akgül",
    u"Işık",    u"Ünal",     u"Güler",   u"Bulut",   u"İnce",    u"Uğurlu",   u"Çakır",    u"Erdem",
    u"Aktaş",   u"Tekin",    u"Karataş", u"Sarı",    u"Özçelik", u"Bozkurt",  u"Ağaoğlu",  u"Dağlı",
    u"Gündoğdu", u"Eroğlu",  u"Coşkun",  u"Türkmen", u"Şen",     u"Boğaç",    u"Ilıcak",   u"Üstündağ",
};
constexpr const char16_t *EnMale[] = {
    u"James", u"John", u"Robert", u"Michael", u"William", u"David", u"Richard", u"Thomas",
    u"Daniel", u"Matthew", u"Oliver", u"Harry", u"George", u"Jack", u"Samuel", u"Peter",
};
constexpr const char16_t *EnFemale[] = {
    u"Mary", u"Patricia", u"Jennifer", u"Linda", u"Elizabeth", u"Susan", u"Sarah", u"Emily",
    u"Laura", u"Rachel", u"Charlotte", u"Sophie", u"Emma", u"Lucy", u"Hannah", u"Grace",
};
constexpr const char16_t *EnSurnames[] = {
    u"Smith",  u"Johnson", u"Williams", u"Brown",  u"Jones",    u"Miller",   u"Davis",  u"Wilson",
    u"Taylor", u"Clarke",  u"Evans",    u"Walker", u"Wright",   u"Thompson", u"White",  u"Harris",
    u"Martin", u"Hughes",  u"Green",    u"Hall",   u"Wood",     u"Baker",    u"Turner", u"Cooper",
    u"Mitchell", u"Parker",
};

constexpr const char16_t *EnAdjectives[] = {
    u"Last", u"Silent", u"Dark", u"Broken", u"Hidden", u"Lost", u"Final", u"Red", u"Golden", u"Frozen",
    u"Burning", u"Endless", u"Forgotten", u"Secret", u"Wild", u"Midnight", u"Crimson", u"Iron", u"Distant",
    u"Savage", u"Quiet", u"Electric", u"Fallen", u"Northern", u"Lonely", u"Eternal", u"Hollow", u"Bitter",
};
constexpr const char16_t *EnNouns[] = {
    u"Harbor", u"River", u"Empire", u"Promise", u"Witness", u"Shadow", u"Kingdom", u"Highway", u"Garden",
    u"Signal", u"Frontier", u"Storm", u"Legacy", u"Horizon", u"Island", u"Hunter", u"Mirror", u"Station",
    u"Covenant", u"Voyage", u"Bridge", u"Desert", u"Engine", u"Winter", u"Summer", u"Letter", u"Code",
    u"Circle", u"Protocol", u"Tide", u"Orchard", u"Lantern", u"Canyon", u"Verdict",
};
constexpr const char16_t *TrAdjectives[] = {
    u"Kayıp", u"Sessiz", u"Karanlık", u"Kırık", u"Gizli", u"Son", u"Uzak", u"Yalnız", u"Kızıl", u"Soğuk",
    u"Büyülü", u"Çılgın", u"Sonsuz", u"Unutulmuş", u"Yasak", u"Öfkeli", u"Güzel", u"Küçük", u"Eski",
    u"Beyaz", u"Kara", u"Derin", u"Sıcak", u"Işıklı", u"Dargın", u"Şaşkın",
};
constexpr const char16_t *TrNouns[] = {
    u"Şehir", u"Gece", u"Orman", u"Yolculuk", u"Kalpler", u"Bahçe", u"Deniz", u"Sır", u"Rüya", u"Ayna",
    u"Köprü", u"Dağ", u"Sokak", u"Yaz", u"Kış", u"Mektup", u"Düğün", u"Aile", u"Hayat", u"Sevda",
    u"Aşk", u"Gölge", u"Çığlık", u"Şarkı", u"Ada", u"Gemi", u"Köy", u"Göç", u"Vedalar", u"Ağıt",
};
constexpr const char16_t *GameWords[] = {
    u"Street", u"Galaxy", u"Turbo", u"Shadow", u"Dragon", u"Metal", u"Super", u"Ultra", u"Star",
    u"Cyber", u"Mega", u"Royal", u"Stone", u"Thunder", u"Arctic", u"Jungle", u"Neon", u"Iron",
};
constexpr const char16_t *GameNouns[] = {
    u"Racer", u"Commander", u"Legends", u"Soccer", u"Warriors", u"Tactics", u"Rally", u"Quest", u"Arena",
    u"Strike", u"Empire", u"Chronicles", u"Fighter", u"Drift", u"Kingdom", u"Heroes", u"Pilot", u"Manager",
};
constexpr const char16_t *GameSuffixes[] = {
    u"", u"", u"", u" 2", u" 3", u" 2004", u" 2007", u" 2009", u" Deluxe", u" Gold Edition", u" Online",
};
constexpr const char16_t *Sequels[] = {u" 2", u" 3", u": Part II", u" Returns", u" 4"};

constexpr const char16_t *EnRoles[] = {
    u"retired detective", u"young teacher", u"small-town doctor", u"former boxer", u"ship's captain",
    u"reporter", u"village girl", u"pilot", u"musician", u"lawyer",
};
constexpr const char16_t *EnGoals[] = {
    u"find a missing brother", u"clear an old friend's name", u"win back a lost love", u"stop a train",
    u"keep a family farm", u"get home", u"uncover a fraud", u"survive the winter",
};
constexpr const char16_t *EnDeadlines[] = {
    u"sunrise", u"the last ferry leaves", u"the trial begins", u"the storm hits", u"the wedding", u"election day",
};
constexpr const char16_t *TrPlots[] = {
    u"İstanbul'a göç eden bir ailenin hayata tutunma mücadelesi.",
    u"Küçük bir kasabada geçen, iki eski dostun yeniden karşılaşması.",
    u"Kayıp kardeşini arayan genç bir öğretmenin yolculuğu.",
    u"Bir düğün gecesi ortaya çıkan aile sırları.",
    u"Ege kıyısında bir yaz, bir aşk ve bir veda.",
    u"Emekli bir polisin çözülememiş son davası.",
};
constexpr const char16_t *GamePlots[] = {
    u"Single player campaign and split-screen multiplayer.",
    u"Career mode with more than forty tracks.",
    u"Build a kingdom, trade and defend it.",
    u"Open world with day and night cycle.",
};

constexpr const char16_t *Streets[] = {
    u"Atatürk Cad.", u"İnönü Sok.", u"Cumhuriyet Cad.", u"Gül Sok.", u"Bağdat Cad.", u"Şehit Er Sok.",
    u"Çınarlı Sok.", u"Menekşe Sok.", u"Fevzi Çakmak Cad.", u"Gazi Mustafa Kemal Blv.", u"Ihlamur Sok.",
    u"Öğretmenler Cad.", u"Üniversite Cad.", u"Değirmen Sok.",
};
struct Place { const char16_t *district; const char16_t *city; const char16_t *areaCode; };
constexpr Place Places[] = {
    {u"Kadıköy", u"İstanbul", u"216"},  {u"Üsküdar", u"İstanbul", u"216"},  {u"Beşiktaş", u"İstanbul", u"212"},
    {u"Şişli", u"İstanbul", u"212"},    {u"Bakırköy", u"İstanbul", u"212"}, {u"Çankaya", u"Ankara", u"312"},
    {u"Keçiören", u"Ankara", u"312"},   {u"Karşıyaka", u"İzmir", u"232"},   {u"Bornova", u"İzmir", u"232"},
    {u"Nilüfer", u"Bursa", u"224"},     {u"Odunpazarı", u"Eskişehir", u"222"}, {u"Bodrum", u"Muğla", u"252"},
};
constexpr int MobilePrefixes[] = {530, 531, 532, 533, 535, 536, 537, 538, 541, 542, 543, 544, 505, 506, 507, 552, 553, 555};
constexpr const char16_t *MailDomains[] = {
    u"gmail.com", u"hotmail.com", u"yahoo.com", u"mynet.com", u"ttmail.com", u"outlook.com",
};
constexpr const char16_t *CustomerNotes[] = {
    u"Prefers DVDs.", u"Student, pays at the end of the month.", u"Calls before returning late.",
    u"Asks for new releases every Friday.", u"Eski müşteri, güvenilir.", u"Oyunları sever.",
};
constexpr const char16_t *TitleNotes[] = {
    u"Box slightly damaged.", u"Cover replaced.", u"Subtitles only in Turkish.", u"Kutu yenilendi.",
};

struct ManualKind
{
    const char16_t *text;
    bool moneyIn;
    int weight;
    int fromCents;
    int toCents;
};
constexpr ManualKind ManualKinds[] = {
    {u"Popcorn and soft drinks", true, 30, 300, 2500}, {u"Poster sale", true, 6, 500, 2000},
    {u"Blank disc sale", true, 8, 200, 1500},           {u"Membership card fee", true, 5, 500, 500},
    {u"Disc cover repair fee", true, 4, 200, 500},      {u"Tea and coffee", false, 18, 500, 3000},
    {u"Cleaning supplies", false, 8, 1000, 6000},       {u"Disc cases and sleeves", false, 6, 2000, 10000},
    {u"Receipt paper and toner", false, 4, 1000, 4000}, {u"Shelf repair", false, 2, 4000, 20000},
    {u"Bus fare for deliveries", false, 6, 300, 1500},
};

// Paid once a month, on about the same day.
struct MonthlyBill
{
    const char16_t *text;
    int dayOfMonth;
    int fromCents;
    int toCents;
};
constexpr MonthlyBill MonthlyBills[] = {
    {u"Shop rent", 1, 120000, 120000},     {u"Staff wages", 5, 90000, 110000},
    {u"Electricity bill", 14, 12000, 32000}, {u"Water bill", 20, 3000, 8000},
    {u"Internet and phone", 25, 6000, 12000},
};
constexpr int MonthlyBillRef = 1000; // ledger refs from here on are monthly bills

template<typename T, size_t N>
int pickWeighted(Rng &rng, const T (&items)[N], int T::*weight)
{
    int total = 0;
    for (const T &i : items)
        total += i.*weight;
    int r = rng.below(total);
    for (size_t k = 0; k < N; ++k) {
        r -= items[k].*weight;
        if (r < 0)
            return int(k);
    }
    return int(N) - 1;
}

// Upper case as a Turkish keyboard types it: i becomes İ and ı becomes I.
QString turkishUpper(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'i')
            out += QChar(0x0130);
        else if (c == QChar(0x0131))
            out += u'I';
        else
            out += c.toUpper();
    }
    return out;
}

// The plain letters an e-mail address is made of.
QString asciiFolded(const QString &text)
{
    QString out;
    for (const QChar c : text.toLower()) {
        switch (c.unicode()) {
        case 0x00E7: out += u'c'; break; // ç
        case 0x011F: out += u'g'; break; // ğ
        case 0x0131: out += u'i'; break; // ı
        case 0x0069: out += u'i'; break;
        case 0x0307: break;              // the dot İ leaves behind in lower case
        case 0x00F6: out += u'o'; break; // ö
        case 0x015F: out += u's'; break; // ş
        case 0x00FC: out += u'u'; break; // ü
        case 0x00E2: out += u'a'; break; // â
        case u' ': out += u'.'; break;
        default:
            if (c.unicode() < 128 && (c.isLetterOrNumber() || c == u'.'))
                out += c;
        }
    }
    return out;
}

QString personName(Rng &rng, bool allowUpper)
{
    const bool turkish = rng.chance(0.7);
    const bool female = rng.chance(0.5);
    QString name;
    if (turkish) {
        name = str(female ? rng.pick(TrFemale) : rng.pick(TrMale));
        if (rng.chance(0.12)) {
            const QString second = str(female ? rng.pick(TrFemale) : rng.pick(TrMale));
            if (second != name)
                name += u' ' + second;
        }
        name += u' ' + str(rng.pick(TrSurnames));
    } else {
        name = str(female ? rng.pick(EnFemale) : rng.pick(EnMale)) + u' ' + str(rng.pick(EnSurnames));
    }
    // Some counters type names in capitals.
    if (allowUpper && rng.chance(0.08))
        name = turkishUpper(name);
    return name.left(50);
}

QStringList uniqueNames(Rng &rng, int count)
{
    QStringList names;
    QSet<QString> seen;
    while (names.size() < count) {
        const QString n = personName(rng, false);
        if (!seen.contains(n)) {
            seen.insert(n);
            names << n;
        }
    }
    return names;
}

QString filmTitle(Rng &rng)
{
    QString t;
    if (rng.chance(0.6)) {
        switch (rng.below(3)) {
        case 0: t = QStringLiteral("The %1 %2").arg(str(rng.pick(EnAdjectives)), str(rng.pick(EnNouns))); break;
        case 1: t = QStringLiteral("%1 %2").arg(str(rng.pick(EnAdjectives)), str(rng.pick(EnNouns))); break;
        default: t = QStringLiteral("%1 of the %2").arg(str(rng.pick(EnNouns)), str(rng.pick(EnNouns))); break;
        }
    } else {
        t = QStringLiteral("%1 %2").arg(str(rng.pick(TrAdjectives)), str(rng.pick(TrNouns)));
    }
    if (rng.chance(0.1))
        t += str(rng.pick(Sequels));
    return t.left(100);
}

QString gameTitle(Rng &rng)
{
    return QStringLiteral("%1 %2%3").arg(str(rng.pick(GameWords)), str(rng.pick(GameNouns)), str(rng.pick(GameSuffixes)));
}

// 13 digits: the Turkish prefix 869, nine digits and the EAN-13 check digit.
QString barcode(qint64 body)
{
    QString digits = QStringLiteral("869%1").arg(body, 9, 10, QLatin1Char('0'));
    int sum = 0;
    for (int i = 0; i < 12; ++i)
        sum += digits[i].digitValue() * (i % 2 == 0 ? 1 : 3);
    digits += QChar(u'0' + (10 - sum % 10) % 10);
    return digits;
}

// ---------------------------------------------------------------- the plan

struct CustomerPlan
{
    QString name;
    QString email;
    bool member = false;
    int memberDay = 0;
    Money deposit;
};

struct TitlePlan
{
    QString name;
    int medium = 0;
    int day = 0;            // bought on
    int genre = 0;
    int actor = -1;
    int director = -1;
    int company = 0;
    int distributor = 0;
    int year = 0;
    int minutes = 0;
    Money cost;
    Money price;
    qint64 barcodeBody = 0;
    int copies = 0;
    int rents = 0;
    int openRents = 0;
    int sold = 0;
    int givenAway = 0;      // copies handed out in exchange for a customer's disc
    // A customer's disc taken in at the exchange counter: one copy, never
    // bought, never rented out; it cost the shop a copy of givenFor.
    bool received = false;
    int givenFor = -1;
};

struct Deal
{
    int day = 0;
    int second = 0;         // time of day
    int customer = 0;
    int title = 0;
    int returnDay = -1;     // -1 while the disc is still out
    int dueDay = 0;
    qint16 rentDays = 0;    // the day spinner: 1 for a sale, as "New" leaves it
    qint16 lateDays = 0;
    bool sale = false;
    bool lateWritten = false;    // the return wrote CezaGunSayi (not back early)
    bool penaltyWritten = false; // and CezaTutari (a film medium)
    bool penaltyCollected = false;
    bool onCredit = false;
    Money price;            // SatisFiyat: the daily price, or the sale price
    Money amount;           // TopTutar
    Money penalty;
};

enum class EntryKind : quint8 { Purchase, Deposit, Deal, Penalty, Exchange, Manual };

struct Entry
{
    int day;
    int second;
    EntryKind kind;
    int ref;                // title, customer, deal or manual kind
    Money in;
    Money out;
};

// When the shop is open; the ledger's clock times fall in it.
constexpr int OpeningSecond = 10 * 3600;
constexpr int ClosingSecond = 23 * 3600;

struct ShopPlan
{
    QDate start;
    int lastDay = 0;        // today, counted from start
    QStringList actors;
    QStringList directors;
    std::vector<CustomerPlan> customers;
    std::vector<TitlePlan> titles;
    std::vector<int> boughtBy;   // titles bought on or before each day
    std::vector<Deal> deals;
    std::vector<Entry> ledger;

    QDate date(int day) const { return start.addDays(day); }
    static int shopSecond(Rng &rng) { return OpeningSecond + rng.below(ClosingSecond - OpeningSecond); }

    void make(const ShopSize &size, quint32 seed, QDate today);

private:
    void makeLookups(quint32 seed);
    void makeCustomers(const ShopSize &size, quint32 seed);
    void makeTitles(const ShopSize &size, quint32 seed);
    void makeDeals(const ShopSize &size, quint32 seed);
    void countCopies(quint32 seed);
    void makeLedger(const ShopSize &size, quint32 seed);
};

void ShopPlan::make(const ShopSize &size, quint32 seed, QDate today)
{
    start = today.addYears(-3);
    lastDay = int(start.daysTo(today));
    makeLookups(seed);
    makeCustomers(size, seed);
    makeTitles(size, seed);
    makeDeals(size, seed);
    countCopies(seed);
    makeLedger(size, seed);
}

void ShopPlan::makeLookups(quint32 seed)
{
    Rng rng(streamSeed(seed, 1));
    actors = uniqueNames(rng, 48);
    directors = uniqueNames(rng, 30);
}

void ShopPlan::makeCustomers(const ShopSize &size, quint32 seed)
{
    Rng rng(streamSeed(seed, 2));
    const int n = size.customers;
    customers.resize(size_t(n));
    // Two in five customers took a membership; which ones is drawn once.
    std::vector<int> order(static_cast<size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    for (int i = n - 1; i > 0; --i)
        std::swap(order[size_t(i)], order[size_t(rng.below(i + 1))]);
    const int members = (n * 2 + 2) / 5;
    for (int k = 0; k < members; ++k)
        customers[size_t(order[size_t(k)])].member = true;

    for (CustomerPlan &c : customers) {
        c.name = personName(rng, true);
        if (rng.chance(0.7)) {
            QString local = asciiFolded(c.name);
            if (rng.chance(0.5))
                local += QString::number(rng.between(1, 99));
            c.email = (local + u'@' + str(rng.pick(MailDomains))).left(50);
        }
        if (c.member) {
            c.memberDay = rng.below(lastDay + 1);
            static constexpr int Deposits[] = {2000, 2500, 5000};
            c.deposit = cents(rng.pick(Deposits));
        }
    }
}

void ShopPlan::makeTitles(const ShopSize &size, quint32 seed)
{
    Rng rng(streamSeed(seed, 3));
    const int n = size.titles;
    titles.resize(size_t(n));
    // The opening stock arrived in the first week; the rest came in steadily,
    // so the title numbers follow the purchase dates.
    const int opening = std::max(1, n * 3 / 10);
    const qint64 barcodeStep = 100003; // coprime with 10^9: every title a different number
    const qint64 barcodeOffset = qint64(rng.next() % 1000000000ull);
    for (int i = 0; i < n; ++i) {
        TitlePlan &t = titles[size_t(i)];
        if (i < opening)
            t.day = std::min(lastDay, i * 7 / opening);
        else
            t.day = std::min(lastDay, 7 + int(qint64(i - opening) * (lastDay - 7 + 1) / std::max(1, n - opening)));
        // The first titles carry every medium, so even a tiny shop has them all.
        t.medium = i < MediaCount ? i : pickWeighted(rng, Media, &Medium::share);
        const Medium &m = Media[t.medium];
        const int boughtYear = date(t.day).year();

        const bool sameFilmAgain = !m.game && i > 0 && rng.chance(0.12);
        int earlier = sameFilmAgain ? rng.below(i) : -1;
        if (earlier >= 0 && Media[titles[size_t(earlier)].medium].game)
            earlier = -1;
        if (earlier >= 0) {
            // The same film on another disc type: the shop buys hits on VCD and DVD.
            const TitlePlan &e = titles[size_t(earlier)];
            t.name = e.name;
            t.genre = e.genre;
            t.actor = e.actor;
            t.director = e.director;
            t.company = e.company;
            t.year = e.year;
            t.minutes = e.minutes;
        } else if (m.game) {
            t.name = gameTitle(rng);
            t.genre = FilmGenreCount + rng.below(GenreCount - FilmGenreCount);
            t.company = FilmCompanyCount + rng.below(CompanyCount - FilmCompanyCount);
            t.year = boughtYear - rng.below(3);
        } else {
            t.name = filmTitle(rng);
            t.genre = rng.below(FilmGenreCount);
            t.actor = rng.below(int(actors.size()));
            t.director = rng.below(int(directors.size()));
            t.company = rng.below(FilmCompanyCount);
            t.year = rng.chance(0.6) ? boughtYear - rng.below(2) : boughtYear - rng.between(2, 35);
            t.minutes = rng.between(78, 185);
        }
        t.distributor = rng.below(DistributorCount);
        t.cost = Money::fromRaw(qint64(rng.between(m.costFrom, m.costTo)) * 2500);
        // Marked up and rounded up to half a unit.
        const qint64 marked = t.cost.raw() * rng.between(135, 180) / 100;
        t.price = Money::fromRaw((marked + 4999) / 5000 * 5000);
        t.barcodeBody = (qint64(i) * barcodeStep + barcodeOffset) % 1000000000;
        // Now and then a customer brings a VCD or DVD of their own and takes
        // one of the shop's discs for it; the exchange fee is for those two.
        if (i >= opening && t.medium <= 1 && rng.chance(0.03)) {
            t.received = true;
            t.givenFor = rng.below(i);
            while (titles[size_t(t.givenFor)].received)
                --t.givenFor;
        }
    }

    boughtBy.assign(size_t(lastDay + 1), 0);
    int k = 0;
    for (int d = 0; d <= lastDay; ++d) {
        while (k < n && titles[size_t(k)].day <= d)
            ++k;
        boughtBy[size_t(d)] = k;
    }
}

void ShopPlan::makeDeals(const ShopSize &size, quint32 seed)
{
    Rng rng(streamSeed(seed, 4));
    deals.clear();
    deals.reserve(size_t(size.transactions));
    if (size.transactions <= 0 || customers.empty() || titles.empty())
        return;

    // Busier at weekends, and busier as the shop became known.
    std::vector<double> cumulative(size_t(lastDay + 1));
    double total = 0;
    for (int d = 0; d <= lastDay; ++d) {
        const int weekday = date(d).dayOfWeek();
        double w = 1.0 + 0.6 * double(d) / double(std::max(1, lastDay));
        w *= weekday == 5 ? 1.3 : weekday == 6 ? 1.6 : weekday == 7 ? 1.4 : 1.0;
        total += w;
        cumulative[size_t(d)] = total;
    }

    // Regulars: a few customers do most of the renting, members more than others.
    std::vector<int> members, others;
    for (int i = 0; i < int(customers.size()); ++i)
        (customers[size_t(i)].member ? members : others).push_back(i);
    for (std::vector<int> *group : {&members, &others}) {
        for (int i = int(group->size()) - 1; i > 0; --i)
            std::swap((*group)[size_t(i)], (*group)[size_t(rng.below(i + 1))]);
    }
    auto pickCustomer = [&] {
        const std::vector<int> &group =
            members.empty() ? others : others.empty() ? members : (rng.chance(0.6) ? members : others);
        const double u = rng.unit();
        return group[size_t(double(group.size()) * u * u)];
    };
    // New releases rent best; the back catalogue still moves a little.
    auto pickTitle = [&](int day) {
        const int available = boughtBy[size_t(std::min(day, lastDay))];
        int t = 0;
        if (rng.chance(0.7)) {
            const double u = rng.unit();
            t = available - 1 - int(double(available) * u * u * u);
        } else {
            t = rng.below(available);
        }
        // A disc taken in exchange stays on the shelf; the opening stock has none.
        while (titles[size_t(t)].received)
            --t;
        return t;
    };
    const TariffCache tariff = programTariff();
    std::vector<QString> mediumNames;
    for (const Medium &m : Media)
        mediumNames.push_back(str(m.name));
    static constexpr int RentDayWeights[] = {30, 25, 20, 8, 6, 4, 7}; // 1..7 days

    qint64 before = 0;
    for (int d = 0; d <= lastDay; ++d) {
        const qint64 upTo = qint64(std::llround(double(size.transactions) * cumulative[size_t(d)] / total));
        const size_t first = deals.size();
        for (qint64 k = before; k < upTo; ++k) {
            Deal deal;
            deal.day = d;
            deal.second = OpeningSecond + int(double(ClosingSecond - OpeningSecond) * std::max(rng.unit(), rng.unit()));
            deal.customer = pickCustomer();
            deal.title = pickTitle(d);
            const TitlePlan &title = titles[size_t(deal.title)];
            const Medium &m = Media[title.medium];
            deal.sale = rng.chance(m.game ? 0.24 : 0.12);
            const QString &medium = mediumNames[size_t(title.medium)];
            const QDate on = date(d);
            if (deal.sale) {
                // The window leaves a sale with the day count and due date
                // "New" gave it. A game has no sale price in the tariff: the
                // clerk types the title's price, and the total stays the 0
                // that "New" worked out.
                deal.rentDays = 1;
                deal.dueDay = d + int(on.daysTo(Tariff::dueDate(tariff, on, 1)));
                deal.price = Tariff::titleSalePrice(tariff, medium, title.price).value_or(title.price);
                deal.amount = m.game ? Money() : deal.price;
                deal.onCredit = rng.chance(0.01);
            } else {
                int r = rng.below(100);
                int days = 1;
                for (int w : RentDayWeights) {
                    if ((r -= w) < 0)
                        break;
                    ++days;
                }
                deal.rentDays = qint16(days);
                const CustomerPlan &c = customers[size_t(deal.customer)];
                const int membership = c.member && d >= c.memberDay ? 1 : 0;
                const auto terms = Tariff::rentalTerms(tariff, membership, medium, on, days);
                deal.dueDay = d + int(on.daysTo(terms->dueDate));
                deal.amount = terms->total;
                // Games have no rental price in the tariff: the clerk types the
                // price of the disc's line, and the total stays 0.
                deal.price = Tariff::rentalPrice(tariff, membership, medium)
                                 .value_or(membership ? Prices.memberRent[m.line] : Prices.rent[m.line]);
                deal.onCredit = rng.chance(0.02);
                // One disc in a hundred never comes back.
                if (!rng.chance(0.01)) {
                    int back = 0;
                    if (rng.chance(0.2)) {
                        int late = 1;
                        if (rng.chance(0.04)) {
                            late = rng.between(15, 60);
                        } else {
                            while (late < 14 && rng.chance(0.55))
                                ++late;
                        }
                        back = deal.dueDay + late;
                    } else {
                        back = d + (rng.chance(0.6) ? days : rng.between(1, days));
                    }
                    if (back <= lastDay) {
                        deal.returnDay = back;
                        const Tariff::LateReturn lr = Tariff::lateReturn(tariff, on, days, medium, date(back));
                        deal.lateWritten = lr.lateDays.has_value();
                        deal.lateDays = qint16(lr.lateDays.value_or(0));
                        deal.penaltyWritten = lr.penalty.has_value();
                        deal.penalty = lr.penalty.value_or(Money());
                        deal.penaltyCollected = deal.penalty > Money() && rng.chance(0.75);
                    }
                }
            }
            deals.push_back(deal);
        }
        before = upTo;
        std::stable_sort(deals.begin() + qsizetype(first), deals.end(),
                         [](const Deal &a, const Deal &b) { return a.second < b.second; });
    }
}

// Buys each title enough copies for the busiest moment of its life: the
// copies out on rent plus the copies sold never pass the copies bought, and a
// few spare copies sit on the shelf.
void ShopPlan::countCopies(quint32 seed)
{
    Rng rng(streamSeed(seed, 5));
    std::vector<quint64> events;
    events.reserve(deals.size() * 2 + 16);
    // Same day: a returned disc (-) is back on the shelf before the next rental (+).
    auto out = [&](int title, int day) { events.push_back(quint64(title) << 32 | quint64(day) << 1 | 1u); };
    auto back = [&](int title, int day) { events.push_back(quint64(title) << 32 | quint64(day) << 1); };
    for (const Deal &deal : deals) {
        TitlePlan &t = titles[size_t(deal.title)];
        if (deal.sale) {
            ++t.sold;
            out(deal.title, deal.day);
            continue;
        }
        ++t.rents;
        out(deal.title, deal.day);
        if (deal.returnDay < 0)
            ++t.openRents;
        else
            back(deal.title, deal.returnDay + 1);
    }
    for (const TitlePlan &t : titles) {
        if (t.received) {
            ++titles[size_t(t.givenFor)].givenAway;
            out(t.givenFor, t.day);
        }
    }
    std::sort(events.begin(), events.end());
    std::vector<int> peak(titles.size(), 0);
    int current = 0;
    quint64 currentTitle = ~quint64(0);
    for (const quint64 e : events) {
        const quint64 title = e >> 32;
        if (title != currentTitle) {
            currentTitle = title;
            current = 0;
        }
        current += (e & 1u) ? 1 : -1;
        peak[size_t(title)] = std::max(peak[size_t(title)], current);
    }
    for (size_t i = 0; i < titles.size(); ++i) {
        const int spare = rng.chance(0.5) ? 0 : rng.chance(0.7) ? 1 : 2;
        titles[i].copies = titles[i].received ? 1 : std::max(1, peak[i] + spare);
    }
}

void ShopPlan::makeLedger(const ShopSize &size, quint32 seed)
{
    Rng rng(streamSeed(seed, 6));
    ledger.clear();
    for (int i = 0; i < int(titles.size()); ++i) {
        const TitlePlan &t = titles[size_t(i)];
        if (t.received) {
            const Money fee = Prices.exchangeFee[Media[t.medium].line];
            ledger.push_back({t.day, shopSecond(rng), EntryKind::Exchange, i, fee, Money()});
            continue;
        }
        // Deliveries come in before opening.
        ledger.push_back({t.day, 9 * 3600 + rng.below(3600), EntryKind::Purchase, i, Money(), t.cost * t.copies});
    }
    for (int i = 0; i < int(customers.size()); ++i) {
        const CustomerPlan &c = customers[size_t(i)];
        if (c.member)
            ledger.push_back({c.memberDay, shopSecond(rng), EntryKind::Deposit, i, c.deposit, Money()});
    }
    for (int i = 0; i < int(deals.size()); ++i) {
        const Deal &deal = deals[size_t(i)];
        ledger.push_back({deal.day, deal.second, EntryKind::Deal, i, deal.amount, Money()});
        if (deal.penaltyCollected)
            ledger.push_back({deal.returnDay, shopSecond(rng), EntryKind::Penalty, i, deal.penalty, Money()});
    }
    qint64 manual = qint64(size.ledgerRows) - qint64(ledger.size());
    // The monthly bills first, as far as the ledger target leaves room; the
    // rest of the target is the counter's small daily entries.
    for (QDate month(start.year(), start.month(), 1); manual > 0 && month <= date(lastDay); month = month.addMonths(1)) {
        for (int b = 0; b < int(std::size(MonthlyBills)) && manual > 0; ++b) {
            const MonthlyBill &bill = MonthlyBills[b];
            const QDate due(month.year(), month.month(), std::min(bill.dayOfMonth, month.daysInMonth()));
            const int day = int(start.daysTo(due));
            if (day < 0 || day > lastDay)
                continue;
            ledger.push_back({day, shopSecond(rng), EntryKind::Manual, MonthlyBillRef + b, Money(),
                              cents(rng.between(bill.fromCents, bill.toCents))});
            --manual;
        }
    }
    for (; manual > 0; --manual) {
        const int kind = pickWeighted(rng, ManualKinds, &ManualKind::weight);
        const ManualKind &mk = ManualKinds[kind];
        const Money amount = cents(rng.between(mk.fromCents, mk.toCents));
        ledger.push_back({rng.below(lastDay + 1), shopSecond(rng), EntryKind::Manual, kind,
                          mk.moneyIn ? amount : Money(), mk.moneyIn ? Money() : amount});
    }
    // The ledger is kept in the order things happened.
    std::sort(ledger.begin(), ledger.end(), [](const Entry &a, const Entry &b) {
        if (a.day != b.day)
            return a.day < b.day;
        if (a.second != b.second)
            return a.second < b.second;
        if (a.kind != b.kind)
            return a.kind < b.kind;
        return a.ref < b.ref;
    });
}

// ---------------------------------------------------------------- writing

// Writes rows of one table: on SQLite in multi-row INSERT statements, one
// prepared statement reused for every full batch, so that SQLite steps far
// fewer statements; on PostgreSQL through COPY.
class BatchInserter
{
public:
    BatchInserter(const QSqlDatabase &db, const char *table, std::initializer_list<const char *> columns,
                  int rowsPerStatement, std::function<void(int)> written)
        : m_db(db), m_dialect(SqlDialect::of(db)), m_table(QString::fromLatin1(table)), m_query(db),
          m_rowsPerStatement(rowsPerStatement), m_written(std::move(written))
    {
        for (const char *c : columns)
            m_columns << QString::fromLatin1(c);
        if (m_dialect.backend() == Backend::PostgreSQL) {
            startCopy();
            return;
        }
        if (!m_query.prepare(statement(m_rowsPerStatement)))
            m_error = failure(m_query);
    }
    ~BatchInserter()
    {
        if (m_copy && PQputCopyEnd(m_copy, "the generation stopped") == 1)
            drain(); // the transaction fails and nothing of the shop stays
    }

    BatchInserter &operator<<(const QVariant &value)
    {
        if (m_copy)
            copyValue(value);
        else
            m_dialect.bind(m_query, m_position, value);
        ++m_position;
        return *this;
    }

    bool endRow()
    {
        Q_ASSERT(m_position == (m_rows + 1) * int(m_columns.size()));
        if (!m_error.isEmpty())
            return false;
        if (m_copy)
            m_copyData += '\n';
        if (++m_rows < m_rowsPerStatement)
            return true;
        if (m_copy)
            return sendCopyData();
        if (!m_query.exec()) {
            m_error = failure(m_query);
            return false;
        }
        report();
        return true;
    }

    // Writes the rows of the last, shorter batch.
    bool finish()
    {
        if (!m_error.isEmpty())
            return false;
        if (m_copy) {
            if (!sendCopyData())
                return false;
            PGconn *c = std::exchange(m_copy, nullptr);
            const bool ended = PQputCopyEnd(c, nullptr) == 1;
            PGresult *r = PQgetResult(c);
            const bool ok = ended && PQresultStatus(r) == PGRES_COMMAND_OK;
            if (!ok)
                m_error = copyFailure(c);
            PQclear(r);
            m_copy = c;
            drain();
            m_copy = nullptr;
            return ok;
        }
        if (m_rows == 0)
            return true;
        QSqlQuery tail(m_db);
        if (!tail.prepare(statement(m_rows))) {
            m_error = failure(tail);
            return false;
        }
        // The values are already in their stored form.
        for (int i = 0; i < m_position; ++i)
            tail.bindValue(i, m_query.boundValue(i));
        if (!tail.exec()) {
            m_error = failure(tail);
            return false;
        }
        report();
        return true;
    }

    QString error() const { return m_error; }

private:
    // On PostgreSQL the rows stream in through COPY on the shop's own
    // connection, inside its transaction: the server parses no statement and
    // no literal per value, which makes a large shop several times quicker.
    void startCopy()
    {
        const QVariant h = m_db.driver()->handle();
        if (!h.isValid() || (qstrcmp(h.typeName(), "PGconn*") != 0 && qstrcmp(h.typeName(), "pg_conn*") != 0)) {
            m_error = QStringLiteral("Writing %1 failed: no PostgreSQL connection handle (%2)").arg(m_table, QLatin1StringView(h.typeName()));
            return;
        }
        m_copy = *static_cast<PGconn *const *>(h.constData());
        const QByteArray sql = QStringLiteral("COPY %1 (%2) FROM STDIN").arg(m_table, m_columns.join(u',')).toUtf8();
        PGresult *r = PQexec(m_copy, sql.constData());
        if (PQresultStatus(r) != PGRES_COPY_IN) {
            m_error = copyFailure(m_copy);
            m_copy = nullptr;
        }
        PQclear(r);
    }
    void copyValue(const QVariant &value)
    {
        if (m_position % m_columns.size() != 0)
            m_copyData += '\t';
        const QVariant v = m_dialect.toDb(value);
        if (v.isNull() || !v.isValid()) {
            m_copyData += "\\N";
            return;
        }
        QByteArray text;
        switch (v.metaType().id()) {
        case QMetaType::Bool: text = v.toBool() ? "1" : "0"; break;
        case QMetaType::Double: text = QByteArray::number(v.toDouble(), 'g', 17); break;
        case QMetaType::QByteArray: text = "\\x" + v.toByteArray().toHex(); break;
        default: text = v.toString().toUtf8(); break;
        }
        for (const char ch : std::as_const(text)) {
            switch (ch) {
            case '\\': m_copyData += "\\\\"; break;
            case '\t': m_copyData += "\\t"; break;
            case '\n': m_copyData += "\\n"; break;
            case '\r': m_copyData += "\\r"; break;
            default: m_copyData += ch;
            }
        }
    }
    bool sendCopyData()
    {
        if (!m_copyData.isEmpty() && PQputCopyData(m_copy, m_copyData.constData(), int(m_copyData.size())) != 1) {
            m_error = copyFailure(m_copy);
            return false;
        }
        m_copyData.clear();
        if (m_rows > 0)
            report();
        return true;
    }
    QString copyFailure(PGconn *c) const
    {
        return QStringLiteral("Writing %1 failed: %2").arg(m_table, QString::fromUtf8(PQerrorMessage(c)).trimmed());
    }
    void drain()
    {
        while (PGresult *r = PQgetResult(m_copy))
            PQclear(r);
    }

    QString statement(int rows) const
    {
        const QString row = u'(' + QStringList(m_columns.size(), QStringLiteral("?")).join(u',') + u')';
        QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES ").arg(m_table, m_columns.join(u','));
        sql.reserve(sql.size() + rows * (row.size() + 1));
        for (int r = 0; r < rows; ++r) {
            if (r)
                sql += u',';
            sql += row;
        }
        return sql;
    }
    QString failure(const QSqlQuery &q) const
    {
        return QStringLiteral("Writing %1 failed: %2").arg(m_table, q.lastError().text().trimmed());
    }
    void report()
    {
        if (m_written)
            m_written(m_rows);
        m_rows = 0;
        m_position = 0;
    }

    QSqlDatabase m_db;
    const SqlDialect &m_dialect;
    QString m_table;
    QStringList m_columns;
    QSqlQuery m_query;
    int m_rowsPerStatement;
    std::function<void(int)> m_written;
    int m_rows = 0;
    int m_position = 0;
    QString m_error;
    PGconn *m_copy = nullptr; // COPY under way on this connection
    QByteArray m_copyData;
};

// The tables the generator fills in bulk. Their indexes are dropped before
// and built again at the end, inside the same transaction: building an index
// once from sorted rows is many times faster than updating it row by row,
// and it keeps SQLite's write-ahead log from filling with rewritten pages.
constexpr const char *BulkTables[] = {"Musteri", "CD", "Hareket", "Kasa", "Doviz"};

// The mark of a whole shop, written in the shop's own transaction so that an
// interrupted or failed run leaves none. It lives outside the tables the
// program reads: SQLite's user version (the program leaves it at 0), a
// comment on the transactions table on PostgreSQL.
constexpr int ShopMarkVersion = 0x56584753;
const QString ShopMarkComment = QStringLiteral("vexaro-shopgen: a whole generated shop");

QString shopMarkStatement(Backend backend)
{
    if (backend == Backend::SQLite)
        return QStringLiteral("PRAGMA user_version = %1").arg(ShopMarkVersion);
    return QStringLiteral("COMMENT ON TABLE Hareket IS '%1'").arg(ShopMarkComment);
}

class ShopWriter
{
public:
    ShopWriter(const QSqlDatabase &db, const ShopSize &size, quint32 seed, QDate today, const ShopProgress &progress)
        : m_db(db), m_dialect(SqlDialect::of(db)), m_size(size), m_seed(seed), m_today(today), m_progress(progress)
    {
        m_batch = m_dialect.backend() == Backend::PostgreSQL ? 500 : 100;
        m_indexes = bulkIndexStatements();
    }

    bool write(QString *error);

private:
    bool exec(const QString &sql);
    bool fail(const QString &message)
    {
        if (m_error.isEmpty())
            m_error = message;
        return false;
    }
    bool finished(BatchInserter &batch) { return batch.finish() || fail(batch.error()); }
    void advance(qint64 units, const QString &stage);
    std::function<void(int)> counter(const QString &stage)
    {
        return [this, stage](int rows) { advance(rows, stage); };
    }
    // The identity the database gave the rows just written: first and count.
    bool newIds(const char *table, qint64 before, qint64 count, qint64 *first);
    bool largestId(const char *table, qint64 *largest);
    QStringList bulkIndexStatements() const;

    bool dropIndexes();
    bool writeTariff();
    bool writeLookups();
    bool writeCustomers();
    bool writeTitles();
    bool writeDeals();
    bool writeLedger();
    bool writeRates();
    bool writeMails();
    bool buildIndexes();

    QVariant dayValue(int day) const { return m_plan.date(day); }
    QVariant moment(int day, int second) const
    {
        return QDateTime(m_plan.date(day), QTime(0, 0).addSecs(second));
    }
    QString invoiceNo(const TitlePlan &t) const
    {
        return QStringLiteral("F%1-%2").arg(m_plan.date(t.day).toString(QStringLiteral("yyMMdd"))).arg(t.distributor + 1, 2, 10, QLatin1Char('0'));
    }

    QSqlDatabase m_db;
    const SqlDialect &m_dialect;
    ShopSize m_size;
    quint32 m_seed;
    QDate m_today;
    ShopPlan m_plan;
    const ShopProgress &m_progress;
    int m_batch = 100;
    QStringList m_indexes;
    qint64 m_total = 1;
    qint64 m_done = 0;
    qint64 m_indexWork = 1;
    int m_lastPercent = -1;
    QString m_error;
    qint64 m_firstCustomerId = 0;
    qint64 m_firstTitleId = 0;
    qint64 m_firstDealId = 0;
};

bool ShopWriter::exec(const QString &sql)
{
    QSqlQuery q(m_db);
    if (!q.exec(sql))
        return fail(QStringLiteral("%1 failed: %2").arg(sql.left(60), q.lastError().text().trimmed()));
    return true;
}

void ShopWriter::advance(qint64 units, const QString &stage)
{
    m_done += units;
    const int percent = int(std::min<qint64>(99, m_done * 100 / std::max<qint64>(1, m_total)));
    if (percent != m_lastPercent && m_progress) {
        m_lastPercent = percent;
        m_progress(percent, stage);
    }
}

bool ShopWriter::largestId(const char *table, qint64 *largest)
{
    QSqlQuery q(m_db);
    if (!q.exec(QStringLiteral("SELECT COALESCE(MAX(ID), 0) FROM %1").arg(QLatin1StringView(table))) || !q.next())
        return fail(QStringLiteral("Reading %1 failed: %2").arg(QLatin1StringView(table), q.lastError().text().trimmed()));
    *largest = q.value(0).toLongLong();
    return true;
}

bool ShopWriter::newIds(const char *table, qint64 before, qint64 count, qint64 *first)
{
    // Rows written in one go by the only writer get consecutive keys; reading
    // them back as a range instead of row by row keeps a million rows cheap.
    // PostgreSQL may skip numbers a rolled-back attempt used, hence the start
    // is read, not assumed.
    QSqlQuery q(m_db);
    if (!q.exec(QStringLiteral("SELECT COUNT(*), MIN(ID), MAX(ID) FROM %1 WHERE ID > %2").arg(QLatin1StringView(table)).arg(before))
        || !q.next())
        return fail(QStringLiteral("Reading %1 failed: %2").arg(QLatin1StringView(table), q.lastError().text().trimmed()));
    const qint64 n = q.value(0).toLongLong();
    const qint64 lo = q.value(1).toLongLong();
    const qint64 hi = q.value(2).toLongLong();
    if (n != count || (n > 0 && hi - lo + 1 != n))
        return fail(QStringLiteral("The new %1 rows did not get consecutive keys; is someone else writing to this database?")
                        .arg(QLatin1StringView(table)));
    *first = lo;
    return true;
}

QStringList ShopWriter::bulkIndexStatements() const
{
    QStringList out;
    const QStringList all = Schema::createStatements(m_dialect);
    for (const IndexDef &ix : Schema::indexes()) {
        if (std::none_of(std::begin(BulkTables), std::end(BulkTables),
                         [&](const char *t) { return qstrcmp(t, ix.table) == 0; }))
            continue;
        const QString marker = QStringLiteral(" INDEX %1 ON ").arg(QLatin1StringView(ix.name));
        for (const QString &s : all) {
            if (s.contains(marker))
                out << s;
        }
    }
    return out;
}

bool ShopWriter::dropIndexes()
{
    for (const IndexDef &ix : Schema::indexes()) {
        if (std::any_of(std::begin(BulkTables), std::end(BulkTables), [&](const char *t) { return qstrcmp(t, ix.table) == 0; })
            && !exec(QStringLiteral("DROP INDEX IF EXISTS %1").arg(QLatin1StringView(ix.name))))
            return false;
    }
    return true;
}

bool ShopWriter::buildIndexes()
{
    for (const QString &sql : m_indexes) {
        if (!exec(sql))
            return false;
        advance(m_indexWork, QStringLiteral("Indexes"));
    }
    return true;
}

bool ShopWriter::writeTariff()
{
    // Every priced column as the program's pricing reads it, and the daily
    // penalty of the old single tariff, which no window uses.
    const TariffCache tariff = programTariff();
    QString sets;
    for (const TariffPriceColumn &p : TariffPriceColumns)
        sets += QLatin1String(p.column) + QStringLiteral(" = ?, ");
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("UPDATE Tarife SET %1GunlukCeza = ?, PazarGunu = ?, TarifeTur = ? WHERE ID = 1").arg(sets));
    int i = 0;
    for (const TariffPriceColumn &p : TariffPriceColumns)
        m_dialect.bind(q, i++, QVariant::fromValue(tariff.*p.price));
    m_dialect.bind(q, i++, QVariant::fromValue(Prices.dailyPenalty));
    m_dialect.bind(q, i++, int(tariff.PazarGunu));
    m_dialect.bind(q, i, double(tariff.TarifeTur));
    if (!q.exec())
        return fail(QStringLiteral("Writing the tariff failed: %1").arg(q.lastError().text().trimmed()));
    return true;
}

bool ShopWriter::writeLookups()
{
    const QString stage = QStringLiteral("Lookups");
    auto fill = [&](const char *table, const char *column, const QStringList &names) {
        BatchInserter b(m_db, table, {column}, m_batch, counter(stage));
        for (const QString &n : names) {
            b << n;
            if (!b.endRow())
                break;
        }
        return finished(b);
    };
    QStringList genres, companies, distributors;
    for (int i = 0; i < GenreCount; ++i)
        genres << genreName(i);
    for (int i = 0; i < CompanyCount; ++i)
        companies << companyName(i);
    for (const char16_t *d : Distributors)
        distributors << str(d);
    return fill("FilmTur", "FilmTur", genres) && fill("Oyuncu", "OyuncuAdi", m_plan.actors)
        && fill("Yonetmen", "Yonetmen", m_plan.directors) && fill("FilmSirket", "FilmSirket", companies)
        && fill("DagiticiFirma", "DagiticiFirma", distributors);
}

bool ShopWriter::writeCustomers()
{
    qint64 before = 0;
    if (!largestId("Musteri", &before))
        return false;
    Rng rng(streamSeed(m_seed, 7));
    BatchInserter b(m_db, "Musteri",
                    {"AdSoyad", "Telefon", "Adres", "IsTelefon", "EvTelefon", "CepTelefon", "MusteriNo",
                     "UyelikBasTarih", "Depozito", "UyelikDurum", "EMail", "Aciklama"},
                    m_batch, counter(QStringLiteral("Customers")));
    auto digits = [&](int n) { return QStringLiteral("%1").arg(rng.below(int(std::pow(10, n))), n, 10, QLatin1Char('0')); };
    for (int i = 0; i < int(m_plan.customers.size()); ++i) {
        const CustomerPlan &c = m_plan.customers[size_t(i)];
        const Place &place = rng.pick(Places);
        const QString mobile = QStringLiteral("0%1 %2 %3 %4").arg(rng.pick(MobilePrefixes)).arg(digits(3), digits(2), digits(2));
        const QString home = rng.chance(0.6)
            ? QStringLiteral("0%1 %2 %3 %4").arg(str(place.areaCode), digits(3), digits(2), digits(2)) : QString();
        const QString work = rng.chance(0.3)
            ? QStringLiteral("0%1 %2 %3 %4").arg(str(rng.pick(Places).areaCode), digits(3), digits(2), digits(2)) : QString();
        const QString address = QStringLiteral("%1 No:%2 D:%3 %4/%5")
                                    .arg(str(rng.pick(Streets)))
                                    .arg(rng.between(1, 180))
                                    .arg(rng.between(1, 24))
                                    .arg(str(place.district), str(place.city));
        const QString note = rng.chance(0.08) ? str(rng.pick(CustomerNotes)) : QString();
        b << c.name << mobile << address << (work.isEmpty() ? QVariant() : QVariant(work))
          << (home.isEmpty() ? QVariant() : QVariant(home)) << mobile << (i + 1)
          << (c.member ? dayValue(c.memberDay) : QVariant()) << QVariant::fromValue(c.deposit)
          << (c.member ? 1 : 0) << (c.email.isEmpty() ? QVariant() : QVariant(c.email))
          << (note.isEmpty() ? QVariant() : QVariant(note));
        if (!b.endRow())
            break;
    }
    return finished(b) && newIds("Musteri", before, qint64(m_plan.customers.size()), &m_firstCustomerId);
}

bool ShopWriter::writeTitles()
{
    qint64 before = 0;
    if (!largestId("CD", &before))
        return false;
    Rng rng(streamSeed(m_seed, 8));
    BatchInserter b(m_db, "CD",
                    {"CDNo", "CDTur", "FilmAdi", "AlinisTarih", "Gun", "Stok", "YapimYili", "KonuTur", "Aciklama",
                     "KutuIcerik", "FilmSirketi", "Dublaj", "FilmSure", "MaliyetFiyat", "SatisFiyat", "Yonetmen",
                     "CDFaturaNo", "KiralamaSayi", "FilmKonu", "Barkod", "DagiticiFirma", "Oyuncu"},
                    m_batch, counter(QStringLiteral("Titles")));
    static constexpr const char16_t *FilmSound[] = {u"Türkçe Dublaj", u"Türkçe Altyazılı", u"Orijinal"};
    const QVariant none;
    static constexpr const char16_t *GameLanguage[] = {u"English", u"Türkçe"};
    for (int i = 0; i < int(m_plan.titles.size()); ++i) {
        const TitlePlan &t = m_plan.titles[size_t(i)];
        const Medium &m = Media[t.medium];
        int discs = 1;
        if (t.medium == 0)
            discs = rng.chance(0.8) ? 2 : 3; // a film fills two or three VCDs
        else if (t.medium == 1)
            discs = rng.chance(0.9) ? 1 : 2;
        else if (m.game)
            discs = t.medium == 3 ? rng.between(1, 4) : rng.chance(0.85) ? 1 : 2;
        QVariant plot;
        if (rng.chance(0.5)) {
            if (m.game)
                plot = str(rng.pick(GamePlots));
            else if (rng.chance(0.5))
                plot = str(rng.pick(TrPlots));
            else
                plot = QStringLiteral("A %1 must %2 before %3.")
                           .arg(str(rng.pick(EnRoles)), str(rng.pick(EnGoals)), str(rng.pick(EnDeadlines)));
        }
        const int stock = t.copies - t.openRents - t.sold - t.givenAway;
        if (t.received) {
            // The exchange window writes only what it asks about the disc.
            b << (i + 1) << str(m.name) << t.name << none << none << stock << none << genreName(t.genre) << none
              << discs << companyName(t.company) << none << none << QVariant::fromValue(t.cost)
              << QVariant::fromValue(t.price) << (t.director >= 0 ? QVariant(m_plan.directors[t.director]) : none)
              << none << none << none << none << none << (t.actor >= 0 ? QVariant(m_plan.actors[t.actor]) : none);
            if (!b.endRow())
                break;
            continue;
        }
        b << (i + 1) << str(m.name) << t.name << dayValue(t.day) << (m.game ? 2 : rng.between(1, 3)) << stock << t.year
          << genreName(t.genre) << (rng.chance(0.04) ? QVariant(str(rng.pick(TitleNotes))) : QVariant()) << discs
          << companyName(t.company) << str(m.game ? rng.pick(GameLanguage) : rng.pick(FilmSound))
          << (m.game ? QVariant() : QVariant(t.minutes)) << QVariant::fromValue(t.cost) << QVariant::fromValue(t.price)
          << (t.director >= 0 ? QVariant(m_plan.directors[t.director]) : QVariant()) << invoiceNo(t) << t.rents << plot
          << barcode(t.barcodeBody) << str(Distributors[t.distributor])
          << (t.actor >= 0 ? QVariant(m_plan.actors[t.actor]) : QVariant());
        if (!b.endRow())
            break;
    }
    return finished(b) && newIds("CD", before, qint64(m_plan.titles.size()), &m_firstTitleId);
}

bool ShopWriter::writeDeals()
{
    qint64 before = 0;
    if (!largestId("Hareket", &before))
        return false;
    // The columns the rent window and the return window write; the others
    // (SonTarih, SatisTarih, TakasCDNo, TakasTarih) no window fills.
    BatchInserter b(m_db, "Hareket",
                    {"IslemTur", "MusteriNo", "CdNo", "IslemTarih", "KiralamaGun", "TeslimTarih", "KiraTarih",
                     "CezaGunSayi", "CezaTutari", "FilmTuru", "CDDurum", "SatisFiyat", "CezaDurum", "GelecekTarih",
                     "Kayit", "Barkod", "TopTutar", "Veresiye"},
                    m_batch, counter(QStringLiteral("Transactions")));
    const QVariant none;
    const QString rent = QStringLiteral("Rent");
    const QString sell = QStringLiteral("Sell");
    std::vector<QString> mediumNames, barcodes;
    for (const Medium &m : Media)
        mediumNames.push_back(str(m.name));
    barcodes.reserve(m_plan.titles.size());
    for (const TitlePlan &t : m_plan.titles)
        barcodes.push_back(barcode(t.barcodeBody));

    for (const Deal &d : m_plan.deals) {
        const TitlePlan &t = m_plan.titles[size_t(d.title)];
        const bool returned = d.returnDay >= 0;
        b << (d.sale ? sell : rent) << int(m_firstCustomerId + d.customer) << int(m_firstTitleId + d.title)
          << moment(d.day, d.second) << int(d.rentDays) << (returned ? dayValue(d.returnDay) : none) << dayValue(d.day)
          << (d.lateWritten ? QVariant(int(d.lateDays)) : none)
          << (d.penaltyWritten ? QVariant::fromValue(d.penalty) : none) << mediumNames[size_t(t.medium)]
          << (returned ? 1 : 0) << QVariant::fromValue(d.price) << (returned ? QVariant(d.penaltyCollected ? 1 : 0) : none)
          << dayValue(d.dueDay) << (d.sale ? 1 : 0) << barcodes[size_t(d.title)] << QVariant::fromValue(d.amount)
          << (d.onCredit ? 1 : 0);
        if (!b.endRow())
            break;
    }
    return finished(b) && newIds("Hareket", before, qint64(m_plan.deals.size()), &m_firstDealId);
}

bool ShopWriter::writeLedger()
{
    BatchInserter b(m_db, "Kasa", {"HareketID", "Borc", "Alacak", "MusteriID", "Islem", "CDID", "Saat", "Tarih", "Aciklama"},
                    m_batch, counter(QStringLiteral("Ledger")));
    const QVariant none;
    const QVariant zero = QVariant::fromValue(Money());
    std::vector<QString> rentNames, sellNames;
    for (const Medium &m : Media) {
        rentNames.push_back(str(m.name) + QStringLiteral(" Rent"));
        sellNames.push_back(str(m.name) + QStringLiteral(" Sell"));
    }
    const QString penaltyText = QStringLiteral("Penalty for Delay");
    const QString exchangeText = QStringLiteral("Exchange");
    const QString buyingText = QStringLiteral("Buying CD");
    const QString otherText = QStringLiteral("Other");
    auto money = [](Money m) { return QVariant::fromValue(m); };

    // Each kind of row is written with the columns the window that books it
    // fills; the rest stay empty, as they do in the program.
    for (const Entry &e : m_plan.ledger) {
        const QVariant when = moment(e.day, e.second);
        const QVariant day = dayValue(e.day);
        switch (e.kind) {
        case EntryKind::Deal: {
            const Deal &d = m_plan.deals[size_t(e.ref)];
            const TitlePlan &t = m_plan.titles[size_t(d.title)];
            const QString text = d.sale ? sellNames[size_t(t.medium)] + QStringLiteral(" / ") + t.name
                                        : QStringLiteral("Rent / ") + t.name;
            b << int(m_firstDealId + e.ref) << money(e.in) << zero << int(m_firstCustomerId + d.customer)
              << (d.sale ? sellNames : rentNames)[size_t(t.medium)] << int(m_firstTitleId + d.title) << when << day
              << text.left(100);
            break;
        }
        case EntryKind::Penalty: {
            const Deal &d = m_plan.deals[size_t(e.ref)];
            b << int(m_firstDealId + e.ref) << money(e.in) << zero << int(m_firstCustomerId + d.customer)
              << penaltyText << int(m_firstTitleId + d.title) << when << day
              << (QStringLiteral("Rent / Penalty for Delay / ") + m_plan.customers[size_t(d.customer)].name).left(100);
            break;
        }
        case EntryKind::Exchange: {
            const TitlePlan &t = m_plan.titles[size_t(e.ref)];
            b << none << money(e.in) << none << none << exchangeText << none << when << day
              << (QStringLiteral("Takas / ") + t.name + QStringLiteral(" / ") + m_plan.titles[size_t(t.givenFor)].name).left(100);
            break;
        }
        case EntryKind::Purchase: {
            const TitlePlan &t = m_plan.titles[size_t(e.ref)];
            // A purchase names the title by its shown number.
            b << none << none << money(e.out) << none << buyingText << (e.ref + 1) << when << day
              << (QStringLiteral("Buying CD / ") + t.name).left(100);
            break;
        }
        case EntryKind::Deposit:
            b << none << money(e.in) << none << none << otherText << none << when << day
              << (QStringLiteral("Deposit / ") + m_plan.customers[size_t(e.ref)].name).left(100);
            break;
        case EntryKind::Manual:
            // The clerk types the one amount that moved; the other stays empty.
            b << none << (e.in > Money() ? money(e.in) : none) << (e.out > Money() ? money(e.out) : none) << none
              << otherText << none << when << day
              << (e.ref >= MonthlyBillRef ? str(MonthlyBills[e.ref - MonthlyBillRef].text) : str(ManualKinds[e.ref].text));
            break;
        }
        if (!b.endRow())
            break;
    }
    return finished(b);
}

bool ShopWriter::writeRates()
{
    Rng rng(streamSeed(m_seed, 9));
    BatchInserter b(m_db, "Doviz", {"Tarih", "USDAlis", "USDSatis", "EuroAlis", "EuroSatis"}, m_batch,
                    counter(QStringLiteral("Exchange rates")));
    // A slow random walk with a drift, as the lira went.
    double usd = 1.42 + rng.unit() * 0.1;
    double euro = usd * (1.30 + rng.unit() * 0.1);
    for (int d = 0; d <= m_plan.lastDay; ++d) {
        usd = std::max(0.5, usd * (1.0 + 0.0004 + (rng.unit() - 0.5) * 0.012));
        euro = std::max(0.5, euro * (1.0 + 0.0004 + (rng.unit() - 0.5) * 0.012));
        const Money usdBuy = Money::fromDouble(usd);
        const Money euroBuy = Money::fromDouble(euro);
        b << dayValue(d) << QVariant::fromValue(usdBuy) << QVariant::fromValue(usdBuy.times(1.005))
          << QVariant::fromValue(euroBuy) << QVariant::fromValue(euroBuy.times(1.005));
        if (!b.endRow())
            break;
    }
    return finished(b);
}

bool ShopWriter::writeMails()
{
    Rng rng(streamSeed(m_seed, 10));
    BatchInserter b(m_db, "mail", {"Gonderen", "Alici", "Tarih", "Konu", "Mail", "Durum"}, m_batch,
                    counter(QStringLiteral("Mails")));
    static constexpr const char16_t *Subjects[] = {
        u"Overdue rental reminder", u"New releases this week", u"Gecikmiş kiralama hatırlatması",
        u"Bu haftanın yeni filmleri", u"Membership renewal", u"Üyelik yenileme",
    };
    const QString sender = QStringLiteral("videodukkani@ttmail.com");
    std::vector<int> withMail;
    for (int i = 0; i < int(m_plan.customers.size()); ++i) {
        if (!m_plan.customers[size_t(i)].email.isEmpty())
            withMail.push_back(i);
    }
    const int count = 36;
    for (int k = 0; k < count; ++k) {
        QString to = QStringLiteral("musteri%1@gmail.com").arg(k + 1);
        QString name = QStringLiteral("Müşterimiz");
        if (!withMail.empty()) {
            const CustomerPlan &c = m_plan.customers[size_t(withMail[size_t(rng.below(int(withMail.size())))])];
            to = c.email;
            name = c.name;
        }
        // Spread over the last two months; the newest few still wait to be sent.
        const int day = std::max(0, m_plan.lastDay - 60 + k * 60 / count);
        const QString subject = str(rng.pick(Subjects));
        const QDateTime when(m_plan.date(day), QTime(0, 0).addSecs(ShopPlan::shopSecond(rng)));
        const QString body = QStringLiteral("From: %1\r\nTo: %2\r\nSubject: %3\r\nDate: %4\r\n"
                                            "Content-Type: text/plain; charset=UTF-8\r\n\r\nSayın %5,\r\n\r\n%3.\r\n")
                                 .arg(sender, to, subject, when.toString(Qt::RFC2822Date), name);
        b << sender << to << when << subject << body.toUtf8() << (k >= count - 4 ? 0 : 1);
        if (!b.endRow())
            break;
    }
    return finished(b);
}

bool ShopWriter::write(QString *error)
{
    auto done = [&](bool ok) {
        if (!ok && error)
            *error = m_error;
        return ok;
    };
    advance(0, QStringLiteral("Starting"));
    Transaction tx(m_db);
    if (!tx.isActive())
        return done(fail(QStringLiteral("The database cannot be written: %1").arg(tx.errorText().trimmed())));
    for (const char *table : {"Musteri", "CD"}) {
        QSqlQuery q(m_db);
        if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1StringView(table))) || !q.next())
            return done(fail(QStringLiteral("Reading %1 failed: %2").arg(QLatin1StringView(table), q.lastError().text().trimmed())));
        if (q.value(0).toLongLong() > 0)
            return done(fail(QStringLiteral("The database already holds customers or titles; a shop is generated only into a new, empty database.")));
    }
    // The plan is drawn only once the database is known to take it.
    m_plan.make(m_size, m_seed, m_today);
    const qint64 bulkRows = qint64(m_plan.deals.size()) + qint64(m_plan.ledger.size());
    m_total = qint64(m_plan.customers.size()) + qint64(m_plan.titles.size()) + bulkRows + m_plan.lastDay + 200
        + bulkRows / 3; // building the indexes again, roughly
    m_indexWork = (bulkRows / 3) / std::max<qint64>(1, qint64(m_indexes.size()));

    const bool ok = dropIndexes() && writeTariff() && writeLookups() && writeCustomers() && writeTitles() && writeDeals()
        && writeLedger() && writeRates() && writeMails() && buildIndexes()
        && exec(shopMarkStatement(m_dialect.backend()));
    if (!ok)
        return done(false);
    if (!tx.commit())
        return done(fail(QStringLiteral("Saving the shop failed: %1").arg(tx.errorText().trimmed())));
    if (m_progress)
        m_progress(100, QStringLiteral("Done"));
    return true;
}

// SQLite settings that only speed up a bulk write, set for its duration and
// put back afterwards. A power cut during generation loses nothing of value.
class BulkWriteSettings
{
public:
    explicit BulkWriteSettings(const QSqlDatabase &db) : m_db(db)
    {
        if (SqlDialect::of(db).backend() != Backend::SQLite)
            return;
        m_synchronous = read(QStringLiteral("synchronous"));
        m_cacheSize = read(QStringLiteral("cache_size"));
        // Refused inside an open transaction; then the write simply runs slower.
        run(QStringLiteral("PRAGMA synchronous=OFF"));
        run(QStringLiteral("PRAGMA cache_size=-262144")); // 256 MB
    }
    ~BulkWriteSettings()
    {
        if (m_synchronous.isValid())
            run(QStringLiteral("PRAGMA synchronous=%1").arg(m_synchronous.toInt()));
        if (m_cacheSize.isValid())
            run(QStringLiteral("PRAGMA cache_size=%1").arg(m_cacheSize.toLongLong()));
    }

private:
    QVariant read(const QString &pragma)
    {
        QSqlQuery q(m_db);
        if (q.exec(QStringLiteral("PRAGMA ") + pragma) && q.next())
            return q.value(0);
        return QVariant();
    }
    void run(const QString &sql)
    {
        QSqlQuery q(m_db);
        q.exec(sql);
    }
    QSqlDatabase m_db;
    QVariant m_synchronous;
    QVariant m_cacheSize;
};

} // namespace

bool generateShop(const QSqlDatabase &db, const ShopSize &size, quint32 seed, QString *error, const ShopProgress &progress)
{
    return generateShop(db, size, seed, QDate::currentDate(), error, progress);
}

bool generateShop(const QSqlDatabase &db, const ShopSize &size, quint32 seed, QDate today, QString *error,
                  const ShopProgress &progress)
{
    if (!db.isOpen()) {
        if (error)
            *error = QStringLiteral("The database is not open.");
        return false;
    }
    if (size.customers < 1 || size.titles < 1 || size.transactions < 0 || size.ledgerRows < 0 || !today.isValid()) {
        if (error)
            *error = QStringLiteral("A shop needs at least one customer and one title.");
        return false;
    }
    BulkWriteSettings settings(db);
    ShopWriter writer(db, size, seed, today, progress);
    return writer.write(error);
}

bool hasShopMark(const QSqlDatabase &db)
{
    QSqlQuery q(db);
    if (SqlDialect::of(db).backend() == Backend::SQLite)
        return q.exec(QStringLiteral("PRAGMA user_version")) && q.next() && q.value(0).toInt() == ShopMarkVersion;
    return q.exec(QStringLiteral("SELECT obj_description('hareket'::regclass, 'pg_class')")) && q.next()
        && q.value(0).toString() == ShopMarkComment;
}

bool holdsGeneratedShop(const QSqlDatabase &db, const ShopSize &size, QString *why)
{
    auto no = [&](const QString &reason) {
        if (why)
            *why = reason;
        return false;
    };
    if (!db.isOpen())
        return no(QStringLiteral("the database is not open"));
    if (!hasShopMark(db))
        return no(QStringLiteral("no generation finished in it"));
    const std::pair<const char *, qint64> expected[] = {
        {"Musteri", size.customers}, {"CD", size.titles}, {"Hareket", size.transactions}};
    for (const auto &[table, rows] : expected) {
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1StringView(table))) || !q.next())
            return no(QStringLiteral("%1 cannot be read: %2").arg(QLatin1StringView(table), q.lastError().text().trimmed()));
        // A benchmark adds the rows it posts; fewer than generated means the
        // shop was cut short or emptied.
        if (q.value(0).toLongLong() < rows)
            return no(QStringLiteral("%1 holds %2 rows, fewer than %3").arg(QLatin1StringView(table)).arg(q.value(0).toLongLong()).arg(rows));
    }
    return true;
}
