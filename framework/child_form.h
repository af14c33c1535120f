// The base of every module form: a borderless child window inside a host window that draws its own
// title bar, answers the host's messages, owns its command sets and the form's data, and defines the
// hooks a concrete form fills in.
#pragma once

#include <QPointer>
#include <QRect>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/component.h"
#include "framework/commands.h"
#include "framework/title_bar.h"
#include "platform/platform.h"
#include "plugin/records.h"

namespace qm {

class TMemTable;
class TDataSource;
class TQmProtocol;
class TQmTbField;
class TQmDBGrid;

enum class TBorderIcon : unsigned { biSystemMenu = 1, biMinimize = 2, biMaximize = 4 };
using TBorderIcons = unsigned;
constexpr TBorderIcons operator|(TBorderIcon a, TBorderIcon b) {
    return unsigned(a) | unsigned(b);
}

enum class TWindowState { wsNormal, wsMinimized, wsMaximized };

// Edit states of a form.
constexpr std::uint8_t esBrowse = 0;
constexpr std::uint8_t esEdit = 1;
constexpr std::uint8_t esInsert = 2;
constexpr std::uint8_t esInitial = 3;

// Posted to itself after the form has been shown: its first activation.
constexpr unsigned WM_QM_ACTIVATE_FORM = WM_ACTIVATE;

class TfrmChildBase : public QWidget, public TComponent, public MessageTarget {
    Q_OBJECT
public:
    // Builds a form of class T and runs its creation handler once every constructor has run, so
    // that the creation hooks reach the concrete form.
    template <class T, class... Args> static T* Create(QWidget* parent, Args&&... args) {
        auto* form = new T(parent, std::forward<Args>(args)...);
        try {
            form->FormCreate();
        } catch (...) {
            delete form;
            throw;
        }
        return form;
    }
    ~TfrmChildBase() override;

    // ------------------------------------------------------------ identity and window
    HWND Handle(); // obtaining the handle creates the window
    bool HandleAllocated() const { return FHandle != 0; }
    std::int32_t FuncId() const { return FFuncId; }
    std::uint32_t FormId() const { return FFormId; }
    void SetFuncId(std::int32_t id) { FFuncId = id; }
    void SetFormId(std::uint32_t id) { FFormId = id; }
    std::string Caption() const { return FCaption; }
    void SetCaption(const std::string& caption);
    TBorderIcons BorderIcons() const { return FBorderIcons; }
    // The host window's widget becomes this form's parent.
    void SetParentWindow(HWND parent);
    TWindowState WindowState() const { return FWindowState; }
    void SetWindowState(TWindowState state);
    QRect NormalGeometry() const { return FNormalGeometry; }
    bool Dragging() const { return FDragging; }
    QSize DesignClientSize() const { return FDesignSize; }

    // ------------------------------------------------------------ state
    std::uint8_t EditState() const { return FEditState; }
    std::int32_t MaxToggle() const { return FMaxToggle; }
    bool TitleVisible() const { return FTitleVisible; }
    const std::string& ContextTail() const { return FContextTail; }
    const std::string& SystemCode() const { return FSystemCode; }
    void SetSystemCode(const std::string& code) { FSystemCode = code; }
    TQmProtocol* Protocol() const { return FProtocol.get(); }
    TComponent* DataModule() const { return FDataModule; }
    TComponent* DropDownModule = nullptr; // not owned; never set by the base
    std::vector<QWidget*> Panels;
    bool Activated() const { return FActivated; }
    bool Closed() const { return FClosed; }
    // An operation that lets messages run is under way: commands are ignored meanwhile.
    bool Busy() const { return FBusy > 0; }

    TChildCommand* chldcmnd = nullptr;
    TChildCommand* chldcmndBase = nullptr;
    TTitleBar* TitleBar() const { return FTitle; }

    // ------------------------------------------------------------ hooks
    virtual bool CanCloseForm() = 0;
    virtual void DoNew() {}
    virtual void DoUpdate() {}
    virtual void DoDelete() {}
    virtual void DoSave() {}
    virtual void DoSearch() {}
    virtual void DoCancel() {}
    virtual void DoFirstRec() {}
    virtual void DoPriorRec() {}
    virtual void DoNextRec() {}
    virtual void DoLastRec() {}
    virtual void CreateFormData();
    virtual void FreeFormData();
    virtual void InitOnActivate();
    virtual void BindGridAndTables(TQmDBGrid* grid, TMemTable* main, TMemTable* delta, TQmTbField* fields);
    virtual void BindTables(TMemTable* main, TMemTable* delta, TQmTbField* fields);
    virtual void ApplyColors();
    virtual void AfterActivate() {}
    virtual void SetControlsReadOnly(bool readOnly, const std::vector<QWidget*>& containers);
    virtual void SetEditState(std::uint8_t state);
    virtual void AnnounceCommands();
    virtual void AnnounceBaseCommands();

    // ------------------------------------------------------------ host data services
    // Reported when an answer of the host cannot be read at all.
    static constexpr const char* UnreadableAnswer = "主机应答无法读取！";
    void SendStatusMessage(std::int32_t kind, const std::string& text);
    std::int32_t RegisterModule(const std::string& key);
    void ReleaseModule(std::int32_t id);
    std::string ExecuteAction(std::int32_t id, const std::string& action, const std::string& request);
    // args: address of the variable that holds the argument array (null for none).
    std::string SearchData(void* const* args = nullptr);
    // The same exchange, handing back the record: its SearchAnswer slot holds the answer until the
    // record goes, for a reader that takes the wide text as it is.
    ShareVarPtr SearchRecord(void* const* args = nullptr);

    // ------------------------------------------------------------ values
    static bool FieldReadOnly(TDataSource* source, const std::string& name, bool readOnly);
    std::string CheckFieldValues(std::uint8_t mode, TMemTable* dataset, const std::string& list);
    // The same check, also telling where it failed, so the form can put the focus on that cell.
    // With changedRowsOnly only new and changed rows are checked (against every row's values, for
    // uniqueness): what a save writes, whatever the number of rows on show.
    struct TFieldFault {
        std::string Label; // empty: nothing offends
        std::string FieldName;
        int RecNo = 0;
    };
    TFieldFault FindFieldFault(std::uint8_t mode, TMemTable* dataset, const std::string& list,
                               bool changedRowsOnly = false);

    // ------------------------------------------------------------ title bar
    void SetTitleVisible(bool visible);
    void PaintTitleRight();
    void btnFormTitleMinClick();
    void btnFormTitleMaxClick();
    void btnFormTitleColseClick();
    void pnlFormTileMidMouseDown();

    // Runs command 0..9 of the base set (what the host's execute handlers call).
    void RunBaseCommand(int index);

    LRESULT handleMessage(unsigned msg, WPARAM wParam, LPARAM lParam) override;

    // The read-only walk visits the pages of page controls through this hook: it returns true when
    // the container is a page control and fills pages in their order.
    using PageLister = bool (*)(QWidget* container, std::vector<QWidget*>& pages);
    static void SetPageLister(PageLister lister);

protected:
    TfrmChildBase(QWidget* parent, TBorderIcons icons, QSize designClientSize);

    // Creation handler; runs after every constructor.
    virtual void FormCreate();
    void FormShow();
    void FormActivate();
    void FormClose();

    void SetDataModule(TComponent* dm) { FDataModule = dm; }
    void FreeProtocol();

    // The client area below the title bar; subclasses lay out their work area in it.
    virtual void LayoutClient(const QRect& area);
    // Whether pressing a mouse button on the title text drags the window.
    virtual bool TitleDrags() const { return true; }
    // Whether the title text takes the title bar's colour.
    virtual bool TitleTextFollowsTitleColor() const { return true; }
    // Whether a Tab key inside this widget stays there (the grid moves between its cells).
    virtual bool KeepsTab(QWidget* focus) const;

    // Drops user input and makes the form ignore commands while messages may run.
    class BusyScope {
    public:
        explicit BusyScope(TfrmChildBase& form) : FForm(form) { ++FForm.FBusy; }
        ~BusyScope() { --FForm.FBusy; }
        BusyScope(const BusyScope&) = delete;
        BusyScope& operator=(const BusyScope&) = delete;

    private:
        TfrmChildBase& FForm;
        OperationScope FScope;
    };
    // Runs fn, turning any exception into a status message to the host.
    template <class Fn> bool Guarded(Fn&& fn);
    void ReportError(const std::exception_ptr& error);

    void showEvent(QShowEvent* event) override;
    void setVisible(bool visible) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    LRESULT HandleHostMessage(unsigned msg, WPARAM wParam, LPARAM lParam);
    void HandleSysCommand(unsigned command);
    void HandleContext(const char* text);
    void FollowParent();
    void StartDrag();
    void DragTo(const QPoint& globalPos);
    void EndDrag();
    bool HandleTabKey(QObject* receiver, QKeyEvent* key);
    void LayoutTitle();

    HWND FHandle = 0;
    std::int32_t FFuncId = 0;
    std::uint32_t FFormId = 0;
    std::int32_t FMaxToggle = 0;
    bool FTitleVisible = false;
    std::string FContextTail;
    std::string FSystemCode;
    std::string FCaption;
    std::uint8_t FEditState = esInitial;
    std::unique_ptr<TQmProtocol> FProtocol;
    TComponent* FDataModule = nullptr;
    TBorderIcons FBorderIcons;
    QSize FDesignSize;
    TTitleBar* FTitle = nullptr;
    TWindowState FWindowState = TWindowState::wsNormal;
    QRect FNormalGeometry;
    QPointer<QWidget> FWatchedParent;
    bool FDragging = false;
    QPoint FDragOffset;
    bool FActivated = false;
    bool FActivationPosted = false;
    bool FClosed = false;
    int FBusy = 0;
};

} // namespace qm
