#pragma once
// A progress line on standard error for work that takes more than about a
// second, shown only when standard error is a terminal.
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

namespace drovik::cli {

// True when the stream is a terminal.
bool IsTerminal(std::FILE* stream);

class Progress {
public:
    // Shows nothing unless enabled. Once a stage has lasted `after`, a line
    // "drovik: STAGE... N.N s" is shown and kept up to date, and is erased
    // when the next stage starts or the object goes.
    Progress(std::FILE* err, bool enabled, std::chrono::milliseconds after = std::chrono::milliseconds(1000));
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // Starts a stage ("reading road.dxf", "computing", "writing out.dxf").
    void Stage(const std::string& text);
    // Ends the current stage.
    void Done();

private:
    void Watch();
    void EraseLocked();
    std::FILE* m_err;
    bool m_enabled;
    std::chrono::milliseconds m_after;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::string m_stage;
    std::chrono::steady_clock::time_point m_started;
    bool m_shown = false;
    bool m_stop = false;
    std::thread m_thread;
};

}  // namespace drovik::cli
