#pragma once
#include "platform/AgentBus.h"

#include <QObject>
#include <QString>
#include <QVariantMap>

#include <memory>

namespace kdx::platform::posix {

// The object the agent exports, whose adaptor the build makes from the interface's description
// (com.tembrix.KaleidraAgent1.xml): the methods call the agent's commands, the properties give
// its state as last announced. A dedicated object, so nothing else of the agent is on the bus.
class AgentBusObject : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString CurrentWallpaper READ CurrentWallpaper)
    Q_PROPERTY(qlonglong NextChange READ NextChange)
public:
    explicit AgentBusObject(IAgentBus::Commands commands);

    QString CurrentWallpaper() const { return QString::fromStdString(state_.currentWallpaper); }
    qlonglong NextChange() const { return state_.nextChange; }
    // Keeps State and tells the bus which of the properties changed.
    void Announce(const AgentState& state);

public slots:
    void ShowWindow();
    void ExecuteScreensaver();
    void NextWallpaper();
    void ClearDesktop();
    QVariantMap Status();

signals:
    void WallpaperChanged(const QString& picture);

private:
    IAgentBus::Commands commands_;
    AgentState state_;
};

// The agent on the session bus, under the well-known name that only the session's one agent
// owns. Not on the bus where the application is not on the desktop (the offscreen tests).
class AgentBus final : public IAgentBus {
public:
    AgentBus();
    ~AgentBus() override;

    static const char* const ServiceName;
    static const char* const ObjectPath;

    bool Publish(Commands commands) override;
    void StateChanged(const AgentState& state) override;
    void WallpaperChanged(const std::string& picture) override;
    void Withdraw() override;

private:
    std::unique_ptr<AgentBusObject> object_;
};

} // namespace kdx::platform::posix
