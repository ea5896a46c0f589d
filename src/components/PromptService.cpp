#include "components/PromptService.h"

#include <QApplication>
#include <QMessageBox>

namespace {

class MessageBoxService final : public PromptService
{
public:
    Answer ask(Icon icon, Buttons buttons, const QString &text, const QString &title) override
    {
        QMessageBox box(QApplication::activeWindow());
        box.setWindowTitle(title);
        box.setText(text);
        switch (icon) {
        case Icon::Warning: box.setIcon(QMessageBox::Warning); break;
        case Icon::Error: box.setIcon(QMessageBox::Critical); break;
        case Icon::Information: box.setIcon(QMessageBox::Information); break;
        case Icon::Question: box.setIcon(QMessageBox::Question); break;
        }
        if (buttons == Buttons::YesNo) {
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setDefaultButton(QMessageBox::Yes);
            box.setEscapeButton(QMessageBox::No);
        } else {
            box.setStandardButtons(QMessageBox::Ok);
        }
        const int r = box.exec();
        if (buttons == Buttons::Ok)
            return Answer::Ok;
        return r == QMessageBox::Yes ? Answer::Yes : Answer::No;
    }
};

std::unique_ptr<PromptService> &current()
{
    static std::unique_ptr<PromptService> s = std::make_unique<MessageBoxService>();
    return s;
}

QString title()
{
    const QString t = QApplication::applicationDisplayName();
    return t.isEmpty() ? QStringLiteral("VEXARO") : t;
}

} // namespace

PromptService &PromptService::instance()
{
    return *current();
}

std::unique_ptr<PromptService> PromptService::install(std::unique_ptr<PromptService> service)
{
    std::unique_ptr<PromptService> previous = std::move(current());
    current() = service ? std::move(service) : std::make_unique<MessageBoxService>();
    return previous;
}

namespace Prompt {

void warning(const QString &text)
{
    PromptService::instance().ask(PromptService::Icon::Warning, PromptService::Buttons::Ok, text, title());
}

void error(const QString &text)
{
    PromptService::instance().ask(PromptService::Icon::Error, PromptService::Buttons::Ok, text, title());
}

void information(const QString &text)
{
    PromptService::instance().ask(PromptService::Icon::Information, PromptService::Buttons::Ok, text, title());
}

bool confirm(const QString &text)
{
    return PromptService::instance().ask(PromptService::Icon::Question, PromptService::Buttons::YesNo, text, title())
           == PromptService::Answer::Yes;
}

bool confirmWarning(const QString &text)
{
    return PromptService::instance().ask(PromptService::Icon::Warning, PromptService::Buttons::YesNo, text, title())
           == PromptService::Answer::Yes;
}

} // namespace Prompt
