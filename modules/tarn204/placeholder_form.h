// The smallest form the module can show: a window handle, a caption, the two command sets and
// answers to the host's control messages. It stands in until the income-level form is wired in.
#pragma once

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <string>

#include "base/component.h"
#include "framework/commands.h"
#include "platform/platform.h"

namespace qm {

class TfrmPlaceholder : public QWidget, public TComponent, public MessageTarget {
public:
    enum class TWindowState { wsNormal, wsMinimized, wsMaximized };

    explicit TfrmPlaceholder(QWidget* parent = nullptr);
    ~TfrmPlaceholder() override;

    HWND Handle();  // obtaining the handle creates the window
    std::uint32_t FormId() const { return FFormId; }
    void SetFormId(std::uint32_t id) { FFormId = id; }
    std::string Caption() const { return FCaption; }
    void SetCaption(const std::string& caption);
    void SetParentWindow(HWND parent);
    TWindowState WindowState() const { return FWindowState; }
    void SetWindowState(TWindowState state);
    const std::string& ContextText() const { return FContextText; }

    void AnnounceCommands();
    void AnnounceBaseCommands();

    LRESULT handleMessage(unsigned msg, WPARAM wParam, LPARAM lParam) override;

    TChildCommand* chldcmnd = nullptr;
    TChildCommand* chldcmndBase = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FillParent();
    void ApplyColors();

    HWND FHandle = 0;
    std::uint32_t FFormId = 0;
    std::string FCaption;
    std::string FContextText;
    TWindowState FWindowState = TWindowState::wsNormal;
    QPointer<QWidget> FWatchedParent;
};

}  // namespace qm
