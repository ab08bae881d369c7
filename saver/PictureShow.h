#pragma once
#include "PictureOrder.h"
#include "SaverPlan.h"
#include "ScreenPicture.h"

#include <QElapsedTimer>
#include <QObject>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kdx::saver {

// Shows the pictures of the plan in turn: a random one on each screen at once, another after
// each interval, each picture of the list once before any comes again (a shuffled order, made
// anew each round), never the same twice running on a screen, and never one another screen
// shows, while there are others. The list is taken as it is: each picture is checked when it
// is picked, on the reading thread. The next picture is read ahead on a thread of its own at
// low priority, so a change comes on time and the user's input never waits for a decoder. A
// picture that cannot be read is dropped for the run without a word; when none can be read,
// the one-line message says so. A read the show waits for that takes longer than its patience
// (a file on a network share that no longer answers) is set aside and another picture read on
// a new thread, and that picture is not picked again while its read has not ended; a read set
// aside that then ends (it was slow, not stuck) doubles the patience, so a large picture that is
// merely slow still gets its time. A read that does not end within ReadGiveUpMs drops its
// picture for the run; its thread is left to it.
class PictureShow {
public:
    using ShowHandler = std::function<void(const std::vector<ScreenPicture>& picture)>;
    using LineHandler = std::function<void(const std::string& line)>;

    PictureShow(SaverPlan plan, std::vector<QSize> screens, ShowHandler show, LineHandler line,
        std::function<int(int n)> randomBelow);
    // Calls off the reading under way and waits a moment for its thread; one still held by a read
    // that does not end is left behind, so ending the screensaver never waits for it.
    ~PictureShow();
    PictureShow(const PictureShow&) = delete;
    PictureShow& operator=(const PictureShow&) = delete;

    void Start();

    // How long a picture may take to read before it is given up.
    static constexpr int ReadGiveUpMs = 10000;
    // How long the show first waits for a read before it reads another picture instead.
    static constexpr int FirstPatienceMs = 1000;
    // How long ending waits for the reading thread.
    static constexpr int EndWaitMs = 500;

private:
    struct Read {
        std::vector<std::string> paths; // one per screen
        std::vector<ScreenPicture> picture;
    };
    // A reading thread, and what it shares with the show while either lives.
    struct Reader;

    void StartReader();
    void AbandonReader();
    // Lets the reader go without waiting for its thread.
    std::shared_ptr<Reader> LetGoReader();
    void ReadNext();
    std::optional<std::vector<std::string>> PickPaths();
    void Ready(Read read);
    void Failed(const std::string& path, bool missing);
    void Drop(const std::string& path, bool missing);
    void Due();
    void Show(Read read);
    void GiveUpRead();
    void SetReadAside();
    void WaitForRead();

    SaverPlan plan_;
    std::vector<QSize> screens_;
    ShowHandler show_;
    LineHandler line_;
    std::function<int(int)> randomBelow_;
    PictureOrder order_;
    std::vector<std::string> shown_; // per screen, empty before the first
    bool onlyMissing_ = true; // every picture dropped so far was missing
    int patienceMs_ = FirstPatienceMs;
    std::set<std::string> aside_; // pictures whose reads were set aside and have not ended
    QElapsedTimer readTime_;
    QTimer patience_;
    bool reading_ = false;
    bool due_ = true;
    std::optional<Read> next_;
    QTimer timer_;
    QTimer giveUp_;
    QObject results_; // receives the worker's results on this thread
    std::shared_ptr<Reader> reader_;
};

} // namespace kdx::saver
