#pragma once

#include "data/WindowPorts.h"
#include "db/Money.h"

#include <QDate>
#include <QList>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QStringList>
#include <optional>

class DataSet;
class DataSource;
struct DatabaseTarget;

// The main data module: the connection every dataset shares, the datasets the
// windows bind to, and the handlers that keep dependent lists in step with the
// current row of the datasets they follow. It lives for the whole run.
class TDm1 : public QObject
{
    Q_OBJECT

public:
    explicit TDm1(QObject *parent = nullptr);
    ~TDm1() override;

    // Opens the connection CDCon (creating a new shop's database).
    bool openConnection(const DatabaseTarget &target, QString *error);

    DataSet *Musteri, *CD, *Hareket, *HareketTemp1, *HareketTemp2, *Users, *Tarife, *Temp, *Config, *Kasa,
        *Doviz, *CDKontrol, *Navigator, *Oyuncu, *Yonetmen, *DagiticiFirma, *FilmSirket, *FilmTur,
        *HareketTemp3, *HareketTemp4, *TakasCD, *CDTemp1, *CDIade, *SMS;
    DataSource *MusteriData, *CDData, *HareketData, *Hareket_Temp1Data, *HareketTemp2Data, *UsersData,
        *TarifeData, *ConfigData, *KasaData, *DovizData, *CDKontrolData, *NavData, *OyuncuData, *YonetmenData,
        *DagiticiFirmaData, *FilmSirketData, *FilmTurData, *HareketTemp3Data, *HareketTemp4Data, *TakasCDData,
        *CDTemp1Data, *CDIadeData, *SMSData;

    QList<DataSet *> dataSets() const;

    // Windows served by the handlers; each registers while it exists. The
    // definitions windows need no more than to be known to exist.
    void registerRentWindow(QObject *window, RentWindowPort *port);
    void registerCDDefinitionsWindow(QObject *window);
    void registerCustomerWindow(QObject *window, CustomerPhotoPort *port);
    void registerRegistrationWindow(QObject *window, CustomerPhotoPort *port);
    void registerExchangeWindow(QObject *window, ExchangeWindowPort *port);


    // --- named reads and statements the windows use ----------------------
    // How many accounts have this name and password, compared exactly as
    // typed (blanks included); nullopt with the database's message on error.
    std::optional<int> countAccounts(const QString &user, const QString &password, QString *error);

    // The title list CD: every title by name; or only the titles whose
    // columns equal the chosen names (pairs of column, value; the columns
    // are CdTur, KonuTur, Oyuncu, FilmSirketi, Yonetmen and the values are
    // bound, never pasted into the statement). Opens the list.
    bool showAllTitles();
    bool showTitlesWhere(const QList<QPair<QString, QString>> &columnValues);
    // Every title in the shop; nullopt with the message on error.
    std::optional<int> countTitles(QString *error);
    // The names of one lookup list (FilmTur, Oyuncu, FilmSirket, Yonetmen,
    // DagiticiFirma) in the database's order; nullopt on error.
    std::optional<QStringList> lookupNames(const QString &table, QString *error);

    // The customer list Musteri: everyone by name, or the members only.
    bool showCustomers(bool membersOnly);

    // --- the rent and sell window ---------------------------------------
    // The film list CD: every title by name, or the titles of one disc type
    // (the type is bound). Opens the list.
    bool showFilmList(const QString &discType);
    // The transaction list Hareket: the open transactions, newest first.
    bool showOpenTransactions();
    // The transaction list narrowed by the chosen values, all of them bound:
    // process type and disc type (empty: any), a rental-date period (both
    // ends included) and open transactions only. Newest first.
    struct TransactionFilter
    {
        QString islemTur, filmTuru;
        bool period = false;
        QDate from, to;
        bool onlyOpen = false;
    };
    bool showTransactionsWhere(const TransactionFilter &filter);
    // The names of every title (FilmAdi) or every customer (AdSoyad);
    // nullopt with the message on error.
    std::optional<QStringList> titleNames(QString *error);
    std::optional<QStringList> customerNames(QString *error);
    // ID of the first customer (title) with exactly this name, the lowest ID
    // among namesakes; a null value when there is none, nullopt on error.
    std::optional<QVariant> customerIdByName(const QString &name, QString *error);
    std::optional<QVariant> titleIdByName(const QString &name, QString *error);
    // The name of the customer (title) with this ID; empty when there is none.
    std::optional<QString> customerName(const QVariant &id, QString *error);
    std::optional<QString> titleName(const QVariant &id, QString *error);
    // The e-mail address (EMail, empty when none is recorded) of the customer
    // with this ID: a transaction names its customer by ID, whatever the
    // customer list shows. `found` is false when no customer has this ID;
    // nullopt with the message on error.
    struct CustomerAddress
    {
        bool found = false;
        QString eMail;
    };
    std::optional<CustomerAddress> customerAddress(const QVariant &id, QString *error);
    // What the counter is told when a customer is chosen: the customer's
    // rentals still out (CDDurum 0), how many of them were due back before
    // `today`, and what the customer owes on account: the total (TopTutar)
    // of the rentals and sales given on account (Veresiye 1) that are still
    // open (CDDurum 0). One read; nullopt with the message on error.
    struct CustomerStanding
    {
        int discsOut = 0;
        int overdue = 0;
        Money onAccount;
    };
    std::optional<CustomerStanding> customerStanding(const QVariant &id, const QDate &today, QString *error);

    // --- returns and the out-on-rent check --------------------------------
    // The check list CDKontrol for one report (1 "Necessary arrive today" …
    // 6 "CD's rented today"), rentals only, by customer and film name;
    // `today` is the date the dated reports compare with, `cdType` (empty:
    // every type) narrows the list. Opens the list.
    bool showCheckReport(int report, const QDate &today, const QString &cdType);
    // The check list narrowed to the open rentals of one barcode, compared
    // as given. Opens the list.
    bool showOpenRentalsOfBarcode(const QString &barcode);
    // The note (Aciklama) of the customer with this ID; empty when none.
    std::optional<QString> customerNote(const QVariant &id, QString *error);

    // Shows the current customer's photograph in the customer windows that
    // exist; bytes that are not a picture leave the pictures as they were.
    void ShowCustomerPhoto();

    // The handlers, bound to the datasets' events.
    void HareketAfterScroll();   // transaction handler (Hareket and CDIade)
    void CDAfterScroll();        // title handler
    void MusteriAfterScroll();   // customer handler
    void TakasCDAfterScroll();   // exchange-fee handler
    void TarifeAfterPost();      // tariff handler

private:
    DataSet *makeDataSet(const QString &name, const QString &sql);
    DataSource *makeSource(const QString &name, DataSet *ds);

    QList<DataSet *> m_dataSets;
    QPointer<QObject> m_rentWindow, m_cdWindow, m_customerWindow, m_registrationWindow, m_exchangeWindow;
    RentWindowPort *m_rentPort = nullptr;
    CustomerPhotoPort *m_customerPort = nullptr;
    CustomerPhotoPort *m_registrationPort = nullptr;
    ExchangeWindowPort *m_exchangePort = nullptr;
};

extern TDm1 *Dm1;
