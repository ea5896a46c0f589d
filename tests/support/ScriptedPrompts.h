#pragma once

#include "components/PromptService.h"

#include <QList>
#include <QString>

// A prompt service for tests: every message is recorded, and each one must
// have been expected, in order, with the answer to give. A message nobody
// expected fails the running test (and is answered No / OK so it never hangs).
class ScriptedPrompts : public PromptService
{
public:
    struct Message
    {
        Icon icon;
        Buttons buttons;
        QString text;
    };

    // Installs itself for the life of the object.
    static ScriptedPrompts *install();
    ~ScriptedPrompts() override;

    void expect(Icon icon, const QString &text, Answer answer = Answer::Ok);
    // Texts that start with the given text (messages that end with a
    // database's own words).
    void expectStartingWith(Icon icon, const QString &text, Answer answer = Answer::Ok);
    Answer ask(Icon icon, Buttons buttons, const QString &text, const QString &title) override;

    const QList<Message> &seen() const { return m_seen; }
    bool allAnswered() const { return m_expected.isEmpty(); }
    void clear();

private:
    struct Expected
    {
        Icon icon;
        QString text;
        bool prefix;
        Answer answer;
    };
    QList<Expected> m_expected;
    QList<Message> m_seen;
};

// Fails the test when expected messages never came.
#define VERIFY_ALL_ANSWERED(prompts) \
    QVERIFY2((prompts)->allAnswered(), "a message that was expected did not come")
