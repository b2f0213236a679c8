// A progress line on standard error.
#include "progress.h"

#include <unistd.h>

namespace drovik::cli {

bool IsTerminal(std::FILE* stream) { return stream && ::isatty(::fileno(stream)) == 1; }

Progress::Progress(std::FILE* err, bool enabled, std::chrono::milliseconds after)
    : m_err(err), m_enabled(enabled && err), m_after(after) {
    // The reader and writer give no callbacks: a watcher thread shows the
    // line while they work.
    if (m_enabled) m_thread = std::thread([this] { Watch(); });
}

Progress::~Progress() {
    if (!m_enabled) return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
        EraseLocked();
    }
    m_wake.notify_all();
    m_thread.join();
}

void Progress::Stage(const std::string& text) {
    if (!m_enabled) return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        EraseLocked();
        m_stage = text;
        m_started = std::chrono::steady_clock::now();
    }
    m_wake.notify_all();
}

void Progress::Done() { Stage(""); }

void Progress::EraseLocked() {
    if (!m_shown) return;
    std::fputs("\r\x1b[K", m_err);
    std::fflush(m_err);
    m_shown = false;
}

void Progress::Watch() {
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_stop) {
        if (m_stage.empty()) {
            m_wake.wait(lock);
            continue;
        }
        const auto elapsed = std::chrono::steady_clock::now() - m_started;
        if (elapsed < m_after) {
            m_wake.wait_for(lock, m_after - elapsed);
            continue;
        }
        const double seconds = std::chrono::duration<double>(elapsed).count();
        std::fprintf(m_err, "\r\x1b[Kdrovik: %s... %.1f s", m_stage.c_str(), seconds);
        std::fflush(m_err);
        m_shown = true;
        m_wake.wait_for(lock, std::chrono::milliseconds(250));
    }
}

}  // namespace drovik::cli
