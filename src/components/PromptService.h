#pragma once

#include <QString>
#include <memory>

class QWidget;

// Every message box of the program goes through here: the icon, the buttons
// and the exact text. The program shows real message boxes; tests install a
// scripted service that records each message and answers from a queue.
class PromptService
{
public:
    enum class Icon { Warning, Error, Information, Question };
    enum class Buttons { Ok, YesNo };
    enum class Answer { Ok, Yes, No };

    virtual ~PromptService() = default;
    virtual Answer ask(Icon icon, Buttons buttons, const QString &text, const QString &title) = 0;

    // The service in force; a real one unless a test replaced it.
    static PromptService &instance();
    // Installs a service (nullptr restores the real one); returns the previous.
    static std::unique_ptr<PromptService> install(std::unique_ptr<PromptService> service);
};

// The few shapes every window uses.
namespace Prompt {
void warning(const QString &text);
void error(const QString &text);
void information(const QString &text);
// Yes/No with a question icon; true on Yes.
bool confirm(const QString &text);
// Yes/No with a warning icon (deletions); true on Yes.
bool confirmWarning(const QString &text);
} // namespace Prompt
