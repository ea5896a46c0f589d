#pragma once

#include <QMainWindow>
#include <QPointer>

class AutomaticBackup;
class QMdiArea;
class QMenu;
class TFrmUserX;

// The frame: a document area that holds the child windows, the menu that
// opens every window, and what the program keeps in memory for the run (the
// tariff and mail account caches, the logged-in user).
class TFrmMain : public QMainWindow
{
    Q_OBJECT

public:
    explicit TFrmMain(QWidget *parent = nullptr);
    ~TFrmMain() override;

    QMdiArea *documentArea() const { return m_area; }

    // The logged-in user's name and password, trimmed; written by the login.
    QString CurrentUser;
    QString CurrentPassword;

    // Copies the tariff row and the mail account into the caches.
    void LoadTariffCache();

    // What the show handler does once: login, then the caches. Returns false
    // when the login was abandoned (the program then ends).
    bool FormShow();

    // The shop's automatic copies: the day's first start and closing make one.
    AutomaticBackup *automaticBackup() const { return m_backup; }

    // Set when the program must end (login abandoned, or closing confirmed).
    bool terminating() const { return m_terminating; }

public slots:
    void CDKiralama1Click();
    void CDTakas1Click();
    void KasaHareketleri1Click();
    void CDKontrol1Click();
    void CDNavigator1Click();
    void k1Click();
    void CDTanmlamalar1Click();
    void MteriTanmliamalar1Click();
    void Servis1Click();
    void MailGnderimi1Click();
    void MailAriv1Click();
    void Stokstatistik1Click();
    void Kirastatistik1Click();
    void Grafikler1Click();
    void SMSArivi1Click();
    void Hakknda1Click();

signals:
    // The program must end: the login was abandoned or closing was confirmed.
    void terminateRequested();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildMenu();
    QAction *entry(QMenu *menu, const QString &caption, const char *name, const char *picture,
                   void (TFrmMain::*handler)(), bool built);

    QMdiArea *m_area;
    AutomaticBackup *m_backup;
    bool m_shown = false;
    bool m_terminating = false;
};

// The one frame of the program, and the login window created beside it.
extern TFrmMain *FrmMain;
extern TFrmUserX *FrmUserX;

// The frame, when there is one, keeps the user name and password of the login.
void SetFrameLogin(const QString &user, const QString &password);
