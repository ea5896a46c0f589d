#pragma once

#include "components/WindowKit.h"
#include "app/WindowRegistry.h"

#include <QDialog>
#include <QList>

class DataSet;
class DBCheckBox;
class DBEdit;
class DBGrid;
class DBSpinBox;
class KeyPreview;
class QPushButton;
class QStackedWidget;
class QToolButton;
class QTreeWidget;
class WheelToArrows;

// The service window: user accounts, the tariff, the mail account, the
// general renting options, the five lookup lists and the database's backup.
// Every page edits rows of Dm1's datasets; the window opens them when shown
// and closes them when it closes. Saving the tariff or the mail account
// reloads the program's tariff cache at once, so the next transaction is
// priced with what was saved.
class TFrmServis : public QDialog
{
    Q_OBJECT

public:
    // The pages in their fixed order; other windows choose one by position.
    enum Page {
        UserPage,
        TariffPage,
        MailPage,
        GeneralPage,
        PlayersPage,
        FilmCompaniesPage,
        DirectorsPage,
        FilmTypesPage,
        DistributorsPage,
        PageCount
    };

    // One page: its toolbar buttons (those it has) and what it edits.
    struct PageParts
    {
        QWidget *sheet = nullptr;
        DataSet *dataSet = nullptr;
        QToolButton *tbNew = nullptr, *tbSave = nullptr, *tbCancel = nullptr, *tbEdit = nullptr,
                    *tbDelete = nullptr;
        Kit::Navigation navigation;
        QList<QWidget *> edits; // the data-aware controls
        DBGrid *grid = nullptr;
    };

    explicit TFrmServis(QWidget *parent = nullptr);
    ~TFrmServis() override;

    // Shows the page at this position (before showing the window, the page
    // it opens on).
    void setPage(int index);
    int currentPage() const;
    const PageParts &page(int index) const { return m_pages[index]; }

    QTreeWidget *TreeView1;
    QStackedWidget *PageControl1;
    QPushButton *btnClose;
    DBEdit *EditUserName, *EditPassword;
    QList<DBEdit *> TariffEdits; // in the order of the tariff page, top to bottom
    DBEdit *EditMailSMTP, *EditMailAdres, *EditMailSifre;
    DBCheckBox *CheckPazarGunu, *CheckTarifeTur;
    DBSpinBox *SpinMaxDiscsOut; // the most discs one customer may have out (Config row)
    QPushButton *btnBackup, *btnRestore;
    // The automatic backups' settings (the Config row) and the copies kept.
    DBCheckBox *CheckYedekOto;
    DBEdit *EditYedekGunluk, *EditYedekHaftalik, *EditYedekAylik;
    QTreeWidget *lstBackups;

public slots:
    void tbNewClick(int page);
    void tbSaveClick(int page);
    void tbCancelClick(int page);
    void tbEditClick(int page);
    void tbDeleteClick(int page);
    void btnBackupClick();
    void btnRestoreClick();

    // Closing runs the close steps once, however the window is closed.
    void done(int result) override;

protected:
    void showEvent(class QShowEvent *event) override;

private:
    void buildUserPage();
    void buildTariffPage();
    void buildMailPage();
    void buildGeneralPage();
    void buildLookupPage(Page page, class DataSource *source, const QString &field, const QString &label,
                         const QString &listCaption);
    QWidget *newSheet(Page page, const QString &title, const QStringList &helpLines, const QString &picture);
    void addToolbar(Page page, bool full);
    bool openDataSets();
    void updateLookupButtons(Page page);
    void listBackups();
    void TreeView1Change();
    void FormClose();

    PageParts m_pages[PageCount];
    KeyPreview *m_keys = nullptr;
    WheelToArrows *m_wheel = nullptr;
    bool m_shown = false;
    bool m_closed = false;
};

// Opens the service window modally on the page at this position and waits
// until it closes. The main menu opens it on the user page; the e-mail
// archive's "SMTP Settings" opens TFrmServis::MailPage. The window lies in
// `parent`'s top-level window; its Restore closes every other window, the
// caller's too, so a caller must not use itself after this returns unless it
// checked that it still exists.
int OpenServiceWindow(int page = TFrmServis::UserPage, QWidget *parent = nullptr);
