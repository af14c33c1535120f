// Every operating-system service the rest of the code base uses, in one place.
// Nothing above this layer includes a system header for these services.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace qm {

// ---------------------------------------------------------------- window handles and messages
// Handles are 32-bit numbers handed out here (0 is none), never pointers.
using HWND = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

constexpr unsigned WM_USER = 1024;
constexpr unsigned WM_SYSCOMMAND = 0x0112;
constexpr unsigned WM_NEXTDLGCTL = 0x0028;
constexpr unsigned WM_ACTIVATE = 0x0006;
constexpr unsigned SC_MINIMIZE = 0xF020;
constexpr unsigned SC_MAXIMIZE = 0xF030;
constexpr unsigned SC_RESTORE = 0xF120;
constexpr unsigned SC_CLOSE = 0xF060;
constexpr unsigned SC_DRAGMOVE = 0xF011;

// Something that receives messages sent or posted to its handle.
class MessageTarget {
public:
    virtual ~MessageTarget() = default;
    virtual LRESULT handleMessage(unsigned msg, WPARAM wParam, LPARAM lParam) = 0;
};

HWND AllocateHandle(MessageTarget* target); // never 0
void ReleaseHandle(HWND handle);            // queued messages for it are dropped
MessageTarget* HandleTarget(HWND handle);   // null for unknown or released handles
bool IsWindow(HWND handle);
void SetNativeWindow(HWND handle, void* native); // the UI layer's window (a QWidget*)
void* NativeWindow(HWND handle);
HWND HandleOfNative(const void* native); // 0 when no handle names it

// Runs the target's handler now; 0 for an unknown handle.
LRESULT SendMessage(HWND handle, unsigned msg, WPARAM wParam, LPARAM lParam);
// Queues the message; false for an unknown handle.
bool PostMessage(HWND handle, unsigned msg, WPARAM wParam, LPARAM lParam);
// Delivers the messages queued so far (not those they post in turn); returns how many ran.
std::size_t DeliverPostedMessages();
std::size_t PendingMessageCount();
// Called (from the posting thread) whenever a message is queued, so an event loop can wake up.
void SetPostNotifier(std::function<void()> notifier);

// ---------------------------------------------------------------- letting pending messages run
// The pump runs queued messages and the toolkit's pending events. ProcessMessages is what long
// loops call between items: it counts down and only every so often looks at the clock, then pumps
// at most once every few milliseconds.
using PumpFunction = void (*)();
void SetPump(PumpFunction pump); // null removes it
PumpFunction CurrentPump();
void ProcessMessages(); // throttled
// Looks at the clock now and pumps when the interval has passed: for the few places between
// large steps (a parse, a conversion piece), where the countdown would wait too long.
void ProcessMessagesIfDue();
void ProcessMessagesNow(); // unthrottled, for tests and modal waits
std::size_t PumpRuns();    // how often the pump has run so far (for tests and benchmarks)

// While an operation that lets messages run is under way, the Qt pump drops user input.
class OperationScope {
public:
    OperationScope();
    ~OperationScope();
    OperationScope(const OperationScope&) = delete;
    OperationScope& operator=(const OperationScope&) = delete;
};
bool OperationRunning();

// Runs one long step that cannot yield (a query, a parse) on a helper thread, while this thread
// keeps letting messages run without user input; returns when the step is done and raises
// what it raised. The step must not touch windows, handles or the pump.
void RunAside(const std::function<void()>& step);

// ---------------------------------------------------------------- shared wide strings
// Length-prefixed UTF-16: the byte length in the 32 bits before the first code unit, a zero code
// unit after the last. Allocated and freed only here; a null pointer is the empty text.
using BSTR = char16_t*;
BSTR SysAllocString(std::u16string_view text);
BSTR SysAllocStringUtf8(std::string_view utf8);
// The same, letting go of utf8 while it converts (left empty): the peak of a long text is its
// wide form, not both.
BSTR SysAllocStringUtf8Taken(std::string&& utf8);
void SysFreeString(BSTR text); // null is fine
std::uint32_t SysStringByteLen(const char16_t* text);
std::uint32_t SysStringLen(const char16_t* text);
std::size_t LiveSharedStrings(); // strings allocated and not yet freed (for leak checks)
// Asks for 2 MB pages under a large block that is about to be written through: where a fault costs
// far more than filling its page, a long answer's text or rows fault once per 2 MB instead of once
// per 4 KB. Blocks under a few megabytes are left alone. Advice only: nothing changes if refused.
void AdviseHugePages(void* block, std::size_t bytes);

std::u16string Utf8ToUtf16(std::string_view utf8);  // invalid bytes become U+FFFD
std::string Utf16ToUtf8(std::u16string_view utf16); // unpaired surrogates become U+FFFD
// For converting a long text piece by piece into one buffer of the exact size (pieces must not
// split a surrogate pair): the UTF-8 size, and the conversion into out, which has that much room;
// returns the end of what was written.
std::size_t Utf8Size(std::u16string_view utf16);
char* Utf16ToUtf8(std::u16string_view utf16, char* out);
std::string BstrToUtf8(const char16_t* text); // null reads as ""

// ---------------------------------------------------------------- code-page text (UTF-8)
std::size_t CharCount(std::string_view utf8); // code points
// Width in "bytes" of the double-byte code page: a double-width character counts as two.
std::size_t ByteWidth(std::string_view utf8);
std::string Trim(std::string_view text);
std::string UpperCase(std::string_view text); // ASCII letters only, as identifiers need
std::string LowerCase(std::string_view text);
bool SameText(std::string_view a, std::string_view b); // ASCII case-insensitive
// A value as messages quote it: whole up to `shown` characters, else the first `shown` and
// "…（共 N 个字符）", so that a huge value never travels into a message whole.
std::string Excerpt(std::string_view utf8, std::size_t shown = 30);
// Control characters a stored text must not hold (NUL would cut it silently): C0 but tab and
// newline, DEL and C1. Messages name them by code point, "U+0007".
bool IsControlChar(char32_t cp);
std::optional<char32_t> FirstControlChar(std::string_view utf8);
std::string CodePointName(char32_t cp);

// ---------------------------------------------------------------- libraries
using LibraryHandle = void*;
LibraryHandle LoadLibrary(const std::string& path); // null on failure
void* GetProcAddress(LibraryHandle library, const char* name);
void FreeLibrary(LibraryHandle library);
std::string LastLibraryError();
// The folder of the running program, ending with a separator; empty when it cannot be told.
std::string ProgramFolder();

// ---------------------------------------------------------------- colours
// 0x00BBGGRR plain colours; 0xFF0000nn system colour nn; clNone means no colour.
using TColor = std::uint32_t;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;
constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clNavy = 0x800000;
constexpr TColor clBackground = 0xFF000001;
constexpr TColor clWindow = 0xFF000005;
constexpr TColor clWindowText = 0xFF000008;
constexpr TColor clHighlight = 0xFF00000D;
constexpr TColor clHighlightText = 0xFF00000E;
constexpr TColor clBtnFace = 0xFF00000F;
constexpr TColor clBtnShadow = 0xFF000010;
constexpr TColor clGrayText = 0xFF000011;
constexpr TColor clBtnText = 0xFF000012;
constexpr TColor clBtnHighlight = 0xFF000014;
constexpr TColor cl3DDkShadow = 0xFF000015;
constexpr TColor cl3DLight = 0xFF000016;
constexpr TColor clInfoBk = 0xFF000018;

bool IsSystemColor(TColor color);
TColor ColorToRGB(TColor color);            // system colours resolved through the table; others unchanged
void SetSystemColor(int index, TColor rgb); // for a host that wants its own scheme
constexpr TColor RGB(unsigned r, unsigned g, unsigned b) {
    return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16);
}
constexpr unsigned GetRValue(TColor c) {
    return c & 0xFF;
}
constexpr unsigned GetGValue(TColor c) {
    return (c >> 8) & 0xFF;
}
constexpr unsigned GetBValue(TColor c) {
    return (c >> 16) & 0xFF;
}

// ---------------------------------------------------------------- dates and the clock
// Days since 1899-12-30, the time of day as the fraction.
struct TDateTime {
    double Value = 0.0;
    constexpr TDateTime() = default;
    constexpr explicit TDateTime(double v) : Value(v) {}
    friend constexpr bool operator==(TDateTime a, TDateTime b) { return a.Value == b.Value; }
    friend constexpr auto operator<=>(TDateTime a, TDateTime b) { return a.Value <=> b.Value; }
};
TDateTime EncodeDate(int year, int month, int day); // throws std::invalid_argument when invalid
TDateTime EncodeTime(int hour, int minute, int second, int msec);
TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int msec = 0);
bool TryEncodeDateTime(int year, int month, int day, int hour, int minute, int second, int msec,
                       TDateTime& out);
void DecodeDateTime(TDateTime dt, int& year, int& month, int& day, int& hour, int& minute, int& second,
                    int& msec);
TDateTime DateOf(TDateTime dt);
TDateTime TimeOf(TDateTime dt);
// Format letters: yyyy yy mm m dd d hh h nn n ss s zzz; anything else is copied.
std::string FormatDateTime(std::string_view format, TDateTime dt);

TDateTime Now(); // the local clock, or the time a test set
void SetNowForTesting(TDateTime fixed);
void ClearNowForTesting();

// ---------------------------------------------------------------- number and date formats
struct TFormatSettings {
    char DecimalSeparator = '.';
    char TimeSeparator = ':';
    char DateSeparator = '-';
    std::string ShortDateFormat = "yyyy-mm-dd";
    std::string LongTimeFormat = "hh:nn:ss";
};
const TFormatSettings& FormatSettings();

std::string DateToStr(TDateTime dt);     // short date
std::string TimeToStr(TDateTime dt);     // long time
std::string DateTimeToStr(TDateTime dt); // date, then time unless it is midnight
// Accepts "yyyy-mm-dd", "yyyy-mm-dd hh:nn[:ss[.zzz]]", "hh:nn[:ss]" and "yyyy/mm/dd" variants.
bool TryStrToDateTime(std::string_view text, TDateTime& out);
bool TryStrToDate(std::string_view text, TDateTime& out);
bool TryStrToTime(std::string_view text, TDateTime& out);

std::string IntToStr(std::int64_t value);
std::string FloatToStr(double value); // shortest text that reads back the same; "." separator
bool TryStrToInt(std::string_view text, std::int32_t& out); // whole text, optional sign, decimal
bool TryStrToInt64(std::string_view text, std::int64_t& out);
bool TryStrToFloat(std::string_view text, double& out); // whole text, "." separator

} // namespace qm
