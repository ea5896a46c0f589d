#include "support/WindowTestFixture.h"

namespace TestSupport {

bool WindowTestFixture::setUp(int parts)
{
    if (parts & Home)
        home = std::make_unique<TestHome>();
    db = std::make_unique<TestDatabase>();
    if (!db->open())
        return false;
    dm1 = std::make_unique<TDm1>();
    dm2 = std::make_unique<TDm2>();
    prompts = ScriptedPrompts::install();
    if (parts & Preview) {
        auto p = std::make_unique<RecordingPreview>();
        preview = p.get();
        previousPreview = Report::PreviewService::install(std::move(p));
    }
    return true;
}

void WindowTestFixture::tearDown()
{
    if (preview) {
        Report::PreviewService::install(std::move(previousPreview));
        preview = nullptr;
    }
    PromptService::install(nullptr);
    prompts = nullptr;
    dm2.reset();
    dm1.reset();
    Database::close(Database::ConnectionName);
    db.reset();
    home.reset();
}

} // namespace TestSupport
