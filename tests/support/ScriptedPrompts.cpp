#include "support/ScriptedPrompts.h"

#include <QTest>

namespace {
ScriptedPrompts *g_installed = nullptr;
}

ScriptedPrompts *ScriptedPrompts::install()
{
    auto service = std::make_unique<ScriptedPrompts>();
    g_installed = service.get();
    PromptService::install(std::move(service));
    return g_installed;
}

ScriptedPrompts::~ScriptedPrompts()
{
    if (g_installed == this)
        g_installed = nullptr;
}

void ScriptedPrompts::expect(Icon icon, const QString &text, Answer answer)
{
    m_expected.append({icon, text, false, answer});
}

void ScriptedPrompts::expectStartingWith(Icon icon, const QString &text, Answer answer)
{
    m_expected.append({icon, text, true, answer});
}

void ScriptedPrompts::clear()
{
    m_expected.clear();
    m_seen.clear();
}

PromptService::Answer ScriptedPrompts::ask(Icon icon, Buttons buttons, const QString &text, const QString &)
{
    m_seen.append({icon, buttons, text});
    const Answer fallback = buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
    if (m_expected.isEmpty()) {
        QTest::qFail(qPrintable(QStringLiteral("unexpected message: \"%1\"").arg(text)), __FILE__, __LINE__);
        return fallback;
    }
    const Expected e = m_expected.takeFirst();
    const bool match = e.icon == icon && (e.prefix ? text.startsWith(e.text) : text == e.text);
    if (!match) {
        QTest::qFail(qPrintable(QStringLiteral("message \"%1\" came where \"%2\" was expected").arg(text, e.text)),
                     __FILE__, __LINE__);
        return fallback;
    }
    return e.answer;
}
