// The guard at the plug-in's C entries. The host, and on Windows the window
// system, call the plug-in only through plain C entries: the exported entry,
// the start-up functions, the registered callbacks, the pane procedure and
// window procedures. A C++ exception that left one of them would unwind
// through the caller's frames, which know nothing of it, and end the host.
//
// So the body of every such entry runs inside guardEntry: whatever it throws
// (std::bad_alloc included) is stopped there and written to the diagnostics
// log with the entry's name, and the entry answers its failure value: 0 for
// a callback, XT_ERR_STARTUP for the start-up entries, 0 ("not carried out")
// for the pane procedure.
#pragma once

#include <exception>
#include <type_traits>
#include <utility>

// Writes "<entry>: stopped an exception: <what>" to the diagnostics log (a
// null `what` for an exception that is not a std::exception). Never throws.
void logStoppedException(const char* entry, const char* what) noexcept;

// Runs body() and answers its result; when it throws, logs the exception
// under the entry's name and answers `failure`.
template <class Result, class Body>
Result guardEntry(const char* entry, Result failure, Body&& body) noexcept
{
    static_assert(std::is_nothrow_copy_constructible<Result>::value, "an entry answers a plain value");
    try {
        return std::forward<Body>(body)();
    } catch (const std::exception& e) {
        logStoppedException(entry, e.what());
    } catch (...) {
        logStoppedException(entry, nullptr);
    }
    return failure;
}
