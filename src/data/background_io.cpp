// Closing replaced files on helper threads.
#include "data/background_io.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace data_detail {
namespace {
constexpr std::size_t kMostClosesInFlight = 4;

// Set once the list below is gone (static destructors at exit or unload), so
// a late call closes at once instead of touching a destroyed list.
bool g_closesGone = false;

// The closes still running, each on a thread of its own. Plain threads
// rather than std::async: its shared state would give the library a unique
// symbol, and a library with one can never be unloaded.
class PendingCloses {
public:
    PendingCloses() = default;
    PendingCloses(const PendingCloses&) = delete;
    PendingCloses& operator=(const PendingCloses&) = delete;
    ~PendingCloses() {
        WaitForAll();
        g_closesGone = true;
    }

    // Takes the file; closes it at once when too many closes are running or
    // no thread can be started.
    void Close(std::unique_ptr<CFile> file) {
        std::lock_guard<std::mutex> lock(m_mutex);
        JoinFinished();
        if (m_running.size() >= kMostClosesInFlight) return;  // closes on the way out
        try {
            m_running.reserve(m_running.size() + 1);  // so that nothing throws once the thread runs
            auto closing = std::make_unique<Closing>();
            Closing* raw = closing.get();
            raw->file = std::move(file);
            raw->thread = std::thread([raw] {
                raw->file.reset();
                raw->done.store(true, std::memory_order_release);
            });
            m_running.push_back(std::move(closing));
        } catch (...) {
            // No thread: whoever holds the file now closes it on the way out.
        }
    }

    void WaitForAll() {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (auto& closing : m_running) closing->thread.join();
        m_running.clear();
    }

private:
    struct Closing {
        std::unique_ptr<CFile> file;
        std::atomic<bool> done{false};
        std::thread thread;
    };

    void JoinFinished() {
        auto finished = [](const std::unique_ptr<Closing>& closing) {
            if (!closing->done.load(std::memory_order_acquire)) return false;
            closing->thread.join();
            return true;
        };
        m_running.erase(std::remove_if(m_running.begin(), m_running.end(), finished), m_running.end());
    }

    std::mutex m_mutex;
    std::vector<std::unique_ptr<Closing>> m_running;
};

PendingCloses& Pending() {
    static PendingCloses pending;
    return pending;
}

}  // namespace

void CloseInBackground(std::unique_ptr<CFile> file) {
    if (!file || !file->IsOpen() || g_closesGone) return;
    Pending().Close(std::move(file));
}

void WaitForBackgroundCloses() {
    if (!g_closesGone) Pending().WaitForAll();
}

}  // namespace data_detail
