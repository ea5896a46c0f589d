#pragma once

#include "app/WindowRegistry.h"

#include "data/WindowPorts.h"

#include <QWidget>

class DBGrid;
class KeyPreview;
class QLabel;
class QMenu;
class QTextBrowser;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class QSplitter;

// "E-Mail archive": every message the shop tried to send, in three folders
// (all, sent, not sent). The clerk reads a message with its header, prints or
// deletes it, and starts a new one, to anybody or to a customer of the list.
class TFrmMailArsiv : public QWidget, public MailArchivePort
{
    Q_OBJECT

public:
    explicit TFrmMailArsiv(QWidget *parent = nullptr);
    ~TFrmMailArsiv() override;

    QToolButton *tbNewMail, *tbSMTP, *tbPrint, *tbClose;
    QTreeWidget *TreeView1;      // the folders
    DBGrid *DBGrid2;             // "Customer List"
    DBGrid *DBGrid1;             // the messages of the folder
    QLabel *LblFrom, *LblTo, *LblSubject;
    QTextBrowser *RichEdit1;     // the message
    QMenu *PopupMenu1;           // "Mail gönder" on the customers
    QMenu *PopupMenu2;           // "Sil" on the messages
    QList<QLabel *> StatusPanels;

    // The reading pane, as the data module fills it.
    void showMessage(const QString &sender, const QString &recipient, const QString &subject,
                     const QByteArray &message) override;

    // The folder the clerk chose last (All until one is chosen).
    int folder() const { return m_folder; }
    // Lists every message again after a send; the folder marked and the
    // count shown stay as they were.
    void reloadAfterSending();

public slots:
    void TreeView1Change(QTreeWidgetItem *item);
    void DBGrid1Click();
    void SilClick();
    void tbNewMailClick();
    void MailGonderClick();
    void tbPrintClick();

protected:
    void closeEvent(class QCloseEvent *event) override;

private:
    QSplitter *buildFolders();
    QSplitter *buildMessages();
    void FormShow();
    bool FormKeyDown(class QKeyEvent *event);
    void reloadFolder();

    KeyPreview *m_keys = nullptr;
    int m_folder = 0;
};

// The main menu's "E-Mail Archive".
TFrmMailArsiv *OpenMailArchive();
// A mail went out: the archive, when open, reads its list again.
void RefreshMailArchive();
