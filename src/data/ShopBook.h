#pragma once

#include "data/Kasa.h"
#include "data/Tariff.h"
#include "db/Database.h"
#include "db/Money.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <optional>
#include <QVariantList>
#include <optional>


// What a counter operation stored, or why it stored nothing.
struct ShopResult
{
    enum class Error {
        None,
        StockRefused,    // no copy of the title left on the shelf
        AlreadyReturned, // the rental was returned (or removed) at another counter
        OpenRentals,     // a customer or title still has discs out on rent
        Invalid,         // the operation was asked with inconsistent input
        Database,        // the database refused a statement or the commit
        Busy,            // other counters held the database too long; nothing was changed
        LimitReached,    // the customer has as many discs out as the shop allows
    };

    Error error = Error::None;
    QString message;
    int id = 0;     // key of the main row written (Hareket, CD, Musteri, Kasa); 0 when nothing was written
    int number = 0; // the shown number used (CDNo, MusteriNo), where there is one
    int retries = 0; // times the whole operation ran again because another counter held the database

    bool ok() const { return error == Error::None; }
    static ShopResult failed(Error error, const QString &message);
};

// Every counter operation that writes. Each runs inside one database
// transaction on the given connection: all of it is stored or none of it.
// Nothing here shows a message or touches a widget; after a failure the
// dataset handed over is left as the clerk had it (still inserting or editing,
// every typed value in place), so the window can show the error and let the
// clerk correct and retry.
class ShopBook
{
public:
    explicit ShopBook(const QString &connectionName = Database::ConnectionName);

    // --- rent and sell --------------------------------------------------------
    // What the clerk chose for one rental or sale. The engine reads the
    // customer's membership, the title and the tariff itself and works the
    // due date, the days charged, the unit price and the total out of them.
    struct RentRequest
    {
        int editId = 0;         // the Hareket row being corrected; 0 for a new transaction
        QString process;        // "Rent" or "Sell"
        int customerId = 0;     // Musteri.ID
        int titleId = 0;        // CD.ID
        QString discType;       // FilmTuru as chosen
        QDate start;            // KiraTarih
        int days = 0;           // KiralamaGun
        bool onAccount = false; // Veresiye
        QString barcode;        // Barkod, when the title was read by its barcode
        // The "Price" as the form shows it: a game's rate or sale price, and
        // the unit price kept with a film (a film's total comes from the
        // tariff or the title whatever is typed). Empty: looked up.
        std::optional<Money> price;
        // The price is looked up anew (a type, title, customer or process was
        // just chosen) instead of kept as shown.
        bool lookUp = false;
    };
    // What a rental or sale books (quote) or booked (rent): with `id` and
    // `number` (the title's CDNo) in the result of rent().
    struct RentFigures
    {
        QDate dueDate;
        int chargedDays = 0;
        Money unitPrice;
        Money total;
        int membership = 0;
    };
    // The figures a posting of this request would book, from the rows as
    // they are now; nothing is written. Invalid when the request cannot be
    // priced (no valid start, a day count outside 0..MaxRentalDays).
    ShopResult quote(const RentRequest &request, RentFigures *figures);
    // Stores the transaction, counts a rental, books its ledger row and moves
    // the stock, in one write; `figures` gets what was booked.
    ShopResult rent(const RentRequest &request, RentFigures *figures = nullptr);


    // --- return ----------------------------------------------------------------
    // A rental coming back, as the return window holds it when "Ok" is pressed.
    struct ReturnRequest
    {
        int hareketId = 0;
        bool returned = false;          // "Returned CD": CDDurum 1
        QDate returnDate;               // TeslimTarih; empty when not returned
        // The days late and the penalty as the form shows them: the quote's,
        // or the clerk's correction of it. Empty fields stay empty.
        std::optional<int> lateDays;    // CezaGunSayi
        bool penaltyCollected = false;  // CezaDurum
        std::optional<Money> penalty;   // CezaTutari
        // The customer's name as the window shows it, for the ledger's
        // description; empty: the name the register holds.
        QString customerName;
    };
    // The due date, days late and penalty of the rental returned on
    // `returnDate` (nothing written): Tariff::lateReturn on the stored row.
    ShopResult quote(int hareketId, QDate returnDate, Tariff::LateReturn *late);
    // Stores the return; a return puts the copy back and books a collected
    // penalty above 0 in the ledger, in one write. Refused with
    // AlreadyReturned, nothing written, when the rental is no longer open.
    ShopResult returnRental(const ReturnRequest &request);

    // --- shown numbers ----------------------------------------------------------
    enum class ShownNumber { MusteriNo, CDNo };
    // The largest number plus one (1 for an empty table), in result.number.
    // Inside a write it is the number to use.
    ShopResult nextNumber(ShownNumber which);

    // --- deleting customers and titles -------------------------------------------
    // Deletes the customer (Musteri) or title (CD) of this ID unless discs of it
    // are still out on rent, counted inside the delete's own write (another
    // counter may be renting meanwhile): then OpenRentals, with the count in
    // result.number, and nothing changes. A customer or title whose rentals
    // are all back deletes as before; its finished transactions stay.
    ShopResult deleteCustomer(int id);
    ShopResult deleteTitle(int id);

    // --- exchange, titles, customers and manual ledger entries ----------------
    // Each is a plain request of what the clerk typed or chose; the engine
    // reads what else it needs, works the money out itself and returns what
    // it stored. The window reads its list again afterwards.

    // A disc received from a customer becomes a new title with one copy; one
    // copy of a title in stock goes out for it.
    struct ExchangeRequest
    {
        int cdNo = 0;         // CDNo the window shows; kept unless another counter took it
        QString discType;     // CDTur of the received disc; its fee is the one booked
        QString filmName;     // FilmAdi
        QString filmType;     // KonuTur
        QString filmCompany;  // FilmSirketi
        QString director;     // Yonetmen
        QString actor;        // Oyuncu
        Money costPrice;      // MaliyetFiyat
        Money salePrice;      // SatisFiyat
        int discCount = 0;    // KutuIcerik
        int givenTitleId = 0; // CD.ID of the title given out
    };
    // The fee an exchange of this request books, from the tariff as loaded;
    // nothing is written. Invalid when the tariff has no fee for the type.
    ShopResult quote(const ExchangeRequest &request, Money *fee);
    // Stores the new title, takes the copy given out off the shelf and books
    // the fee (quote's). Result: the new title's ID and CDNo.
    ShopResult exchange(const ExchangeRequest &request);

    // A cash movement typed by hand (kasaId 0) or a correction of a ledger
    // row. An amount left empty stays empty in the row.
    struct LedgerEntryRequest
    {
        int kasaId = 0;               // Kasa.ID of the row corrected; 0 for a new entry
        QDate date;                   // Tarih; required
        std::optional<Money> amountIn;  // Borc
        std::optional<Money> amountOut; // Alacak
        QString description;          // Aciklama
    };
    // A new entry is booked as "Other"; a correction keeps its kind and is
    // first copied as stored into KasaLog with the logged-in user and the
    // time. Saat becomes now either way. Result: the row's ID.
    ShopResult saveLedgerEntry(const LedgerEntryRequest &request);
    // Deletes the ledger row, copying it into KasaLog first.
    ShopResult deleteLedgerEntry(int kasaId);

    // Every column of a title the CD definition dialog edits. Numbers and
    // prices left empty stay empty.
    struct TitleRequest
    {
        int id = 0; // CD.ID of the title changed; 0 for a new title
        int cdNo = 0; // CDNo proposed; a new title gets the next free one if another counter took it
        QString discType, barcode, filmName, filmCompany, distributor, actor, filmType, dubbing, director,
            plot, invoiceNo, note; // CDTur, Barkod, FilmAdi, FilmSirketi, DagiticiFirma, Oyuncu, KonuTur,
                                   // Dublaj, Yonetmen, FilmKonu, CDFaturaNo, Aciklama
        std::optional<int> year, minutes, discCount, stock; // YapimYili, FilmSure, KutuIcerik, Stok
        std::optional<Money> costPrice, salePrice;          // MaliyetFiyat, SatisFiyat
        bool bookPurchase = false; // a new title's purchase (cost times stock) goes out of the cash box
    };
    // Result: the title's ID and CDNo.
    ShopResult saveTitle(const TitleRequest &request);

    // Every column of a customer the registration dialog edits.
    struct CustomerRequest
    {
        int id = 0;         // Musteri.ID of the customer changed; 0 for a new customer
        int musteriNo = 0;  // MusteriNo proposed; a new customer gets the next free one if taken
        QString name, gsmPhone, officePhone, homePhone, email, address; // AdSoyad, CepTelefon, IsTelefon,
                                                                       // EvTelefon, EMail, Adres
        std::optional<int> membership;       // UyelikDurum
        QDate memberSince;                   // UyelikBasTarih
        std::optional<Money> deposit;        // Depozito
        QByteArray photo;                    // Resim, JPEG bytes; empty: none
        bool bookDeposit = false;            // the deposit comes into the cash box
    };
    // Result: the customer's ID and MusteriNo.
    ShopResult saveCustomer(const CustomerRequest &request);

private:
    QString m_connection;
};
