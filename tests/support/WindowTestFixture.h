#pragma once

#include "data/Dm1Unit.h"
#include "data/Dm2Unit.h"
#include "support/RecordingPreview.h"
#include "support/ScriptedPrompts.h"
#include "support/TestSupport.h"

#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>

namespace TestSupport {

// What a window test stands on, built in init() and undone in cleanup(): its
// own VEXARO_HOME, a fresh shop open as the program's connection, both data
// modules, the scripted prompts and, when asked, a recording print preview.
struct WindowTestFixture
{
    enum Part { Home = 1, Preview = 2, HomeAndPreview = Home | Preview };

    std::unique_ptr<TestHome> home;
    std::unique_ptr<TestDatabase> db;
    std::unique_ptr<TDm1> dm1;
    std::unique_ptr<TDm2> dm2;
    ScriptedPrompts *prompts = nullptr;
    RecordingPreview *preview = nullptr;
    std::unique_ptr<Report::PreviewService> previousPreview;

    // False (with a warning) when the database does not open.
    bool setUp(int parts = Home);
    // The test deletes its windows first; this puts the preview and the
    // prompt service back and closes the shop.
    void tearDown();
};

// Runs the action once the window behind the reference is on screen: modal
// windows are acted on from inside their own event loop. A wait given an owner
// goes with it, so one that never came cannot act in the next test.
template <class W>
void whenShown(QPointer<W> &ref, std::function<void(W *)> action, QObject *owner = nullptr)
{
    auto *poll = new QTimer(owner);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, &ref, action] {
        if (!ref || !ref->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        action(ref.data());
    });
    poll->start(5);
}

} // namespace TestSupport
