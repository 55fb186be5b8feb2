// The substitute host: loads the plug-in through its one export, answers the
// handshake, offers every host operation the plug-in calls, keeps the
// registered callbacks and records every registration and call.
#pragma once

#include "subhost/document.h"
#include "subhost/loader.h"
#include "subhost/styles.h"
#include "xthost.h"

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace subhost {

class Headless;

enum class ModuleState { Absent, Unbindable, Present };

struct ModuleConfig {
    ModuleState state = ModuleState::Absent;
    bool stayOut = false; // PDF module: answer 1 (keep the plug-in out of the job)
    double bleed = 0;     // Bleed module: the document's bleed in points
};

struct HostOptions {
    bool refuseHandshake = false; // the compatibility check answers 0
    int16_t language = 2;         // host language code (2 = English, 3 = German)
    ModuleConfig pdf;
    ModuleConfig bleed;
    uint32_t hostVersion = 0x0A000000;
    int32_t setFileError = 0;     // non-zero: the job's output file is refused with this code
    int16_t tripleRevision = XT_TRIPLE_REVISION; // the interface triple the setup record names
    std::string missingGroup;     // a named group the host does not offer
};

struct Registration {
    int32_t code;
    xtcallback handler;
    int32_t flags;
    int32_t priority;
};

// One recorded event: a registration, a call of the plug-in or a host call
// the plug-in made that changes something.
struct Event {
    std::string what; // "handshake", "start", "register", "call", "box-create", "box-delete", "entry-failed", ...
    int32_t code = 0;
    int32_t value = 0;
    int32_t result = 0;
};

// Where a running print job's PostScript goes, as the host and the plug-in
// write it.
class JobStream {
public:
    virtual ~JobStream() = default;
    virtual void write(const char* bytes, std::size_t n) = 0;
};

struct MessageBoxRecord {
    std::string title, primary, secondary;
    int32_t buttons = 1;
    int32_t answer = 1;
};

class Host {
public:
    explicit Host(HostOptions options = {});
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // Loads the plug-in file, runs the handshake and the start-up functions.
    // False with a message in error() when the file cannot be loaded or has
    // no entry; a refused handshake is a successful load with activateResult().
    bool load(const std::string& pluginPath);
    // Runs the handshake and start-up with an entry already in this process
    // (tests that link the plug-in's code).
    void loadEntry(xtactivateproc entry);
    const std::string& error() const { return mError; }
    int32_t activateResult() const { return mActivateResult; }
    int32_t setupResult() const { return mSetupResult; }
    bool setupCalled() const { return mSetupCalled; }
    int32_t announced() const { return mAnnounced; }
    const std::vector<int32_t>& handedOutCodes() const { return mHandedOutCodes; }

    const std::vector<Registration>& registrations() const { return mRegistrations; }
    std::vector<Event>& events() { return mEvents; }
    std::vector<Event> eventsOf(const std::string& what) const;

    // Calls every handler of `code` in priority order; returns the last result.
    int32_t call(int32_t code, xtcbheader* rec);
    void sendLanguage(int16_t code);
    // The about callback; with a record, *handled receives its byte.
    void sendAbout(bool withRecord, uint8_t* handled = nullptr);
    // The quit callback, once (later calls, and the host's end, send nothing).
    void sendQuit();

    // Documents: the host holds them; the last opened is current.
    int32_t openDocument(Document doc);
    Document* document(int32_t ref);
    Document* currentDocument();
    int32_t currentRef() const { return mCurrent; }

    // Print output styles; a reference is the 1-based index.
    std::vector<OutputStyle>& styles() { return mStyles; }
    OutputStyle* style(xtstyleref ref);
    // The print dialog's output style changed to `ref` (callback 765).
    void chooseStyle(xtstyleref ref);
    // XML nodes handed to the plug-in and not yet disposed of.
    int outstandingNodes() const { return mOutstandingNodes; }
    int mOutstandingNodes = 0;

    // The headless window system: the scripted user, the plug-in's dialogs
    // and pane, the print dialog and the output-style editor.
    Headless& headless() { return *mHeadless; }

    // Message boxes shown through the headless window system.
    std::vector<MessageBoxRecord>& messages() { return mMessages; }
    void queueMessageAnswer(int32_t answer) { mMessageAnswers.push_back(answer); }

    // Groups of a platform's own that the host offers beside its standard
    // ones, by name (the Windows dialog interface); host-owned.
    std::map<std::string, const xtgroup*> extraGroups;

    // The output file the plug-in set for the running job (empty: none).
    std::string jobFile;

    // The print job's stream (only while a job runs).
    JobStream* stream() { return mStream; }
    void setStream(JobStream* s) { mStream = s; }
    bool printing() const { return mStream != nullptr; }
    // Host blocks handed to the plug-in that it has not released yet.
    int outstandingBlocks() const { return mOutstanding; }

    const HostOptions& options() const { return mOptions; }

    // Entries of the host that failed inside: each answered its failure value
    // to the plug-in and left an "entry-failed" event (code: the group id, 0
    // for the setup and activation records; value: the entry, or its offset in
    // those records; result: the answer). Here: what each failure said.
    const std::vector<std::string>& entryFailures() const { return mEntryFailures; }
    // For tests: the next host block the plug-in asks for fails as an
    // allocation does (std::bad_alloc inside the entry).
    void failNextAlloc() { mFailNextAlloc = true; }
    // For tests: the next call of this entry (group id and entry as in
    // "entry-failed") fails inside before it does anything.
    void failNextCall(int32_t group, int32_t entry)
    {
        mFailCall = true;
        mFailGroup = group;
        mFailEntry = entry;
    }

    // ---- used by the C entries ----
    struct Groups;
    Groups& groups() { return *mGroups; }
    void record(const std::string& what, int32_t code = 0, int32_t value = 0, int32_t result = 0);
    void entryFailed(int32_t group, int32_t entry, int32_t answer, const char* what) noexcept;
    // Every guarded entry starts here; throws for an entry made to fail.
    void entryStarts(int32_t group, int32_t entry);
    int32_t registerCallback(int32_t code, xtcallback handler, int32_t flags, int32_t priority);
    int32_t newCallbackCode();
    int32_t answerMessageBox(const char* title, const char* primary, const char* secondary, int32_t buttons);
    void* allocBlock(std::size_t bytes);
    void freeBlock(void* block);
    std::vector<xtpageranges*> rangeBlocks; // held while a job runs
    bool blockIsOurs(void* block) const;

private:
    HostOptions mOptions;
    std::unique_ptr<PluginModule> mModule;
    void activate(xtactivateproc entry);
    std::unique_ptr<Groups> mGroups;
    xtsetuprec mSetup{};
    std::vector<xtstartproc> mStartProcs;
    std::vector<Registration> mRegistrations;
    std::vector<Event> mEvents;
    std::vector<int32_t> mHandedOutCodes;
    std::vector<std::unique_ptr<Document>> mDocuments;
    std::vector<MessageBoxRecord> mMessages;
    std::vector<OutputStyle> mStyles;
    std::deque<int32_t> mMessageAnswers;
    std::vector<void*> mBlocks;
    std::vector<std::string> mEntryFailures;
    bool mFailNextAlloc = false;
    bool mFailCall = false;
    int32_t mFailGroup = 0, mFailEntry = 0;
    JobStream* mStream = nullptr;
    std::string mError;
    int32_t mCurrent = -1;
    int32_t mActivateResult = 0;
    int32_t mSetupResult = 0;
    int32_t mAnnounced = 0;
    int32_t mNextCode = 0x4000;
    int mOutstanding = 0;
    bool mSetupCalled = false;
    bool mQuitSent = false;
    uint32_t mVersionWord = 0;
    std::unique_ptr<Headless> mHeadless;

    friend struct ActivateGlue;
};

} // namespace subhost
