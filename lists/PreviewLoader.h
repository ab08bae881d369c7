#pragma once
#include <QImage>
#include <QObject>

#include <functional>
#include <memory>
#include <string>

namespace kdx {

// Decodes pictures for a preview on a thread of the pool, so that a large one (a 100-megapixel
// picture takes seconds) never holds the window; the result comes back on the window's thread.
// Only the picture asked for last counts: a result the user has moved past is dropped, and a
// request still waiting to start when another comes is never decoded.
class PreviewLoader : public QObject {
public:
    using Shown = std::function<void(const QImage& picture)>;
    using Failed = std::function<void(const std::string& error)>;

    explicit PreviewLoader(QObject* parent = nullptr);
    ~PreviewLoader() override;
    PreviewLoader(const PreviewLoader&) = delete;
    PreviewLoader& operator=(const PreviewLoader&) = delete;

    // Decodes Path (LoadPicture); Shown or Failed runs on this object's thread once it is done,
    // unless Load or Drop was called again meanwhile.
    void Load(const std::string& path, Shown shown, Failed failed);
    // Drops the result of the request under way.
    void Drop();
    // Whether a request is under way.
    bool Busy() const { return busy_; }

private:
    struct Channel;
    std::shared_ptr<Channel> channel_;
    bool busy_ = false;
};

} // namespace kdx
