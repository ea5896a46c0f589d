#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>

class QKeyEvent;

// Lets a window see every key pressed in it before its controls do. Esc
// closes the window and is swallowed, so no control beeps at it. The window's
// own keys (Insert for New, F5 for the barcode...) go to the handler first;
// a handler that returns true has used the key.
class KeyPreview : public QObject
{
    Q_OBJECT

public:
    using Handler = std::function<bool(QKeyEvent *)>;
    explicit KeyPreview(QWidget *window, Handler handler = {}, bool escapeCloses = true);
    ~KeyPreview() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> m_window;
    Handler m_handler;
    bool m_escapeCloses;
};

// While it exists, every turn of the mouse wheel anywhere in the program
// becomes an Up or Down arrow key for the focused control: each notch moves
// the focused list one row. The windows that want it hold one.
class WheelToArrows : public QObject
{
    Q_OBJECT

public:
    explicit WheelToArrows(QObject *owner);
    ~WheelToArrows() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int m_pending = 0; // eighths of a degree not yet turned into a key
};
