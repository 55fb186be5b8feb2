// The host itself: loading and activating the plug-in, its records and
// callbacks, documents, styles and the blocks it hands out. The entries of
// the function groups live in host_*.cpp, one file per family.
#include "subhost/host.h"

#include "subhost/headless.h"
#include "subhost/host_private.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <stdexcept>

namespace subhost {

Host::Host(HostOptions options) : mOptions(options), mGroups(std::make_unique<Groups>())
{
    Groups& g = *mGroups;
    mHeadless = std::make_unique<Headless>(*this);
    installSetupGroups(g, this);
    installPrintGroups(g, this);
    installDocumentGroups(g, this);
    installDocDataGroup(g, this);
    installStyleGroups(g, this);
    installDialogGroup(g, this);
    installSetupRecord(mSetup, this, options);
    mVersionWord = options.hostVersion;
}

Host::~Host()
{
    if (mSetupCalled)
        sendQuit();
    for (void* b : mBlocks)
        std::free(b);
    for (xtpageranges* r : rangeBlocks)
        std::free(r);
    mRegistrations.clear();
    mModule.reset();
}

bool Host::load(const std::string& pluginPath)
{
    mModule = loadPluginModule(pluginPath, mError);
    if (!mModule)
        return false;
    activate(mModule->entry());
    return true;
}

void Host::loadEntry(xtactivateproc entry) { activate(entry); }

void Host::activate(xtactivateproc entry)
{
    xtactivaterec act{};
    installActivationRecord(act, this);
    act.hostVersion = &mVersionWord;
    mActivateResult = entry(&act);
    record("activate", 0, 0, mActivateResult);
    if (mActivateResult != 0)
        return;
    // The code-request function first, so that codes exist when setup
    // registers the callbacks that use them.
    if (mStartProcs.size() >= 2) {
        int32_t r = mStartProcs[1](&mSetup);
        record("start", 2, 0, r);
    }
    if (!mStartProcs.empty()) {
        mSetupCalled = true;
        mSetupResult = mStartProcs[0](&mSetup);
        record("start", 1, 0, mSetupResult);
    }
}

std::vector<Event> Host::eventsOf(const std::string& what) const
{
    std::vector<Event> out;
    for (const Event& e : mEvents)
        if (e.what == what)
            out.push_back(e);
    return out;
}

void Host::record(const std::string& what, int32_t code, int32_t value, int32_t result)
{
    mEvents.push_back(Event{what, code, value, result});
}

int32_t Host::registerCallback(int32_t code, xtcallback handler, int32_t flags, int32_t priority)
{
    if (handler == nullptr)
        return -1;
    mRegistrations.push_back(Registration{code, handler, flags, priority});
    record("register", code, priority, flags);
    return 0;
}

int32_t Host::newCallbackCode()
{
    mHandedOutCodes.push_back(mNextCode);
    return mNextCode++;
}

int32_t Host::call(int32_t code, xtcbheader* rec)
{
    std::vector<Registration> handlers;
    for (const Registration& r : mRegistrations)
        if (r.code == code)
            handlers.push_back(r);
    std::stable_sort(handlers.begin(), handlers.end(),
                     [](const Registration& a, const Registration& b) { return a.priority < b.priority; });
    int32_t result = 0;
    for (const Registration& r : handlers) {
        result = r.handler(rec);
        record("call", code, r.priority, result);
    }
    return result;
}

void Host::sendLanguage(int16_t code)
{
    xtlanguagerec rec{};
    rec.hdr = xtcbheader{XT_CB_LANGUAGE, sizeof rec};
    rec.language = code;
    call(XT_CB_LANGUAGE, &rec.hdr);
}

void Host::sendAbout(bool withRecord, uint8_t* handled)
{
    xtaboutrec rec{};
    rec.hdr = xtcbheader{XT_CB_ABOUT, sizeof rec};
    call(XT_CB_ABOUT, withRecord ? &rec.hdr : nullptr);
    if (handled)
        *handled = rec.handled;
}

void Host::sendQuit()
{
    if (mQuitSent)
        return;
    mQuitSent = true;
    xtcbheader rec{XT_CB_QUIT, sizeof(xtcbheader)};
    call(XT_CB_QUIT, &rec);
}

int32_t Host::openDocument(Document doc)
{
    mDocuments.push_back(std::make_unique<Document>(std::move(doc)));
    mCurrent = static_cast<int32_t>(mDocuments.size());
    return mCurrent;
}

Document* Host::document(int32_t ref)
{
    if (ref < 1 || ref > static_cast<int32_t>(mDocuments.size()))
        return nullptr;
    return mDocuments[ref - 1].get();
}

Document* Host::currentDocument() { return document(mCurrent); }

OutputStyle* Host::style(xtstyleref ref)
{
    if (ref < 1 || ref > static_cast<xtstyleref>(mStyles.size()))
        return nullptr;
    return &mStyles[ref - 1];
}

void Host::chooseStyle(xtstyleref ref)
{
    xtstylerec rec{};
    rec.hdr = xtcbheader{XT_CB_STYLECHANGED, sizeof rec};
    rec.style = ref;
    call(XT_CB_STYLECHANGED, &rec.hdr);
}

int32_t Host::answerMessageBox(const char* title, const char* primary, const char* secondary, int32_t buttons)
{
    MessageBoxRecord m{title ? title : "", primary ? primary : "", secondary ? secondary : "", buttons, 1};
    if (!mMessageAnswers.empty()) {
        m.answer = mMessageAnswers.front();
        mMessageAnswers.pop_front();
    }
    mMessages.push_back(m);
    record("msgbox", 0, buttons, m.answer);
    return m.answer;
}

void Host::entryFailed(int32_t group, int32_t entry, int32_t answer, const char* what) noexcept
{
    try {
        mEntryFailures.push_back(what ? what : "");
        record("entry-failed", group, entry, answer);
    } catch (...) {
        // Out of memory while recording: the answer still goes back.
    }
}

void Host::entryStarts(int32_t group, int32_t entry)
{
    if (mFailCall && group == mFailGroup && entry == mFailEntry) {
        mFailCall = false;
        throw std::runtime_error("entry made to fail");
    }
}

void* Host::allocBlock(std::size_t bytes)
{
    if (mFailNextAlloc) {
        mFailNextAlloc = false;
        throw std::bad_alloc();
    }
    void* p = std::calloc(1, bytes ? bytes : 1);
    mBlocks.push_back(p);
    ++mOutstanding;
    return p;
}

bool Host::blockIsOurs(void* block) const
{
    return std::find(mBlocks.begin(), mBlocks.end(), block) != mBlocks.end();
}

void Host::freeBlock(void* block)
{
    auto it = std::find(mBlocks.begin(), mBlocks.end(), block);
    if (it == mBlocks.end()) {
        record("dispose-unknown");
        return;
    }
    std::free(*it);
    mBlocks.erase(it);
    --mOutstanding;
}

} // namespace subhost
