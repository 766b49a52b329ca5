#pragma once
// The dialog runtime: dialogs built from templates in the program's resources, a copy of every
// control's values in records, callbacks on control events, and the modal run.
//
// The application builds a Dialog with DialogLoad, sets values and attaches routines, runs it
// with DialogRunModal, reads the values the user left, and releases it. The records are the
// master copy: while the dialog runs, a record is pulled from the live control before each
// access (unless it has changes of its own still to show) and every changed record is pushed
// to the window after each routine.

#include "dialogs/DialogTemplate.h"
#include "platform/DialogHost.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace rt {
class Runtime;
}

namespace dialogs {

// Logical values: true is stored as all bits set, false as 0; a value is true when its lowest
// bit is 1.
using Logical = std::int32_t;
inline constexpr Logical True = -1;
inline constexpr Logical False = 0;
constexpr bool isTrue(Logical value) { return (value & 1) != 0; }
constexpr Logical toLogical(bool value) { return value ? True : False; }

// Length of every text a record holds, blank-padded.
inline constexpr std::size_t TextLength = 256;

enum class ControlKind : std::int32_t {
    StaticText = 1,
    GroupBox = 2,
    PushButton = 3,
    CheckBox = 4,
    RadioButton = 5,
    EditBox = 6,
    ScrollBar = 7,
    ListBox = 8,
    ComboBox = 9,
    DropDownList = 10,
};

// Selects the value or event a set, get or attach call addresses. Positive values are item
// numbers (1..n): a list item's text, or an entry of a list box's selection list.
enum class ValueIndex : std::int32_t {
    Default = -1,
    Caption = -2,
    Enabled = -3,
    Clicked = -4,
    State = -5,
    Changed = -6,
    Updated = -7,
    RangeMax = -8,
    Position = -9,
    SelectionChanged = -10,
    PageStep = -11,
    LineStep = -12,
    ItemCount = -13,
    DoubleClicked = -14,
};

// The selector for item number k (1-based).
constexpr ValueIndex itemNumber(std::int32_t k) { return static_cast<ValueIndex>(k); }

struct Dialog;

// A routine attached to a control event: called with the dialog, the control id (the resource
// id for the start routine) and the event code (a ValueIndex value; 0 for the start routine).
using DialogCallback = std::function<void(Dialog& dialog, std::int32_t id, std::int32_t event)>;

// The values of one control. The lists are 1-based in the documentation of each kind and stored
// 0-based here: integers[0] is integer [1].
//
//   kind          integers                                 logicals              texts
//   StaticText    -                                        enabled               caption
//   GroupBox      -                                        enabled               caption
//   PushButton    -                                        enabled               caption
//   CheckBox      -                                        enabled, checked      caption
//   RadioButton   first and last record of its group       enabled, checked      caption
//   EditBox       -                                        enabled               text
//   ScrollBar     position, range max, line step, page step enabled             -
//   ListBox       n, selected item numbers ending with 0   enabled               selection text, items
//   ComboBox      n                                        enabled               edit text, items
//   DropDownList  n, selected item number (0 none)         enabled               selection text, items
//
// Routines: PushButton, CheckBox, RadioButton: clicked. EditBox: changed, updated. ScrollBar:
// changed. ListBox, DropDownList: selection changed, double-clicked. ComboBox: selection
// changed, double-clicked, edit changed, edit updated.
struct DialogControl {
    ControlKind kind = ControlKind::StaticText;
    std::int32_t id = 0; // the template's 16-bit id, zero-extended
    Logical dirty = True;
    Logical duplicate = False; // another item of the template has the same id
    std::vector<std::int32_t> integers;
    std::vector<Logical> logicals;
    std::vector<std::string> texts; // each TextLength characters
    std::vector<DialogCallback> routines;
};

// Where dialog templates come from: the program's resources by id.
class DialogResources {
public:
    virtual ~DialogResources() = default;
    // The template bytes of resource id, alive as long as the resources; empty when there is none.
    virtual std::optional<std::span<const std::uint8_t>> dialogTemplate(std::int32_t resourceId) const = 0;
};

class DialogRuntime;

// One use of a dialog: loaded, run once, released.
struct Dialog {
    std::int32_t resourceId = 0;
    platform::DialogWindow window; // the live dialog box while it runs
    std::int32_t endCode = 1;
    Logical dirty = True;                                 // some record must still be pushed to the window
    Logical pushing = False;                              // records are being written to the window
    Logical comboTextFromEdit = True;                     // false while a combo box's selection routine runs
    DialogCallback startRoutine;                          // called when the dialog box has been created
    std::vector<DialogControl> controls;                  // one per recognised template item, in template order
    DialogRuntime* runtime = nullptr;                     // set by DialogLoad
    std::shared_ptr<const DialogTemplate> dialogTemplate; // read once by DialogLoad
    bool loaded = false;                                  // DialogLoad succeeded and DialogRelease has not run
};

// What dialogs of one process share: the dialog manager, the resources, the run-time (the
// standard output unit and the stop request) and the frame window that owns outermost dialogs.
// The current dialog is kept per thread, so that a dialog run from a menu routine on the message
// thread does not disturb one running on the program thread.
class DialogRuntime {
public:
    DialogRuntime(platform::DialogHost& host, const DialogResources& resources, rt::Runtime& runtime,
                  platform::DialogWindow frame = {});

    platform::DialogHost& host() const { return m_host; }
    const DialogResources& resources() const { return m_resources; }
    rt::Runtime& runtime() const { return m_runtime; }
    platform::DialogWindow frameWindow() const { return m_frame; }
    void setFrameWindow(platform::DialogWindow frame) { m_frame = frame; }

    // The dialog running on the calling thread (the innermost one), or null.
    Dialog* currentDialog() const;
    // Makes dialog current on the calling thread and returns the one it replaces.
    Dialog* exchangeCurrentDialog(Dialog* dialog);

private:
    platform::DialogHost& m_host;
    const DialogResources& m_resources;
    rt::Runtime& m_runtime;
    platform::DialogWindow m_frame;
    mutable std::mutex m_lock;
    std::map<std::thread::id, Dialog*> m_current;
};

// Builds dialog from template resourceId. False when the resource is missing or does not read,
// or when it holds a control style the runtime refuses (a record naming it is written on unit 6
// and the program is stopped); the dialog then holds only its header fields.
bool DialogLoad(std::int32_t resourceId, Dialog& dialog, DialogRuntime& runtime);

// Set, get and attach calls return true on success, false when the id is unknown, the control
// is a duplicate, or the selector does not apply to its kind; on failure nothing changes and
// no output is written. An absent selector is Default.

// Stores text, truncated or blank-padded to TextLength.
bool DialogSetText(Dialog& dialog, std::int32_t id, std::string_view text, ValueIndex selector = ValueIndex::Default);
bool DialogSetInteger(Dialog& dialog, std::int32_t id, std::int32_t value, ValueIndex selector = ValueIndex::Default);
bool DialogSetLogical(Dialog& dialog, std::int32_t id, Logical value, ValueIndex selector = ValueIndex::Default);
// Attaches routine to a control event; to the dialog's own resource id (when no control has
// it): the start routine. Attaching to a control fails while the dialog runs.
bool DialogSetCallback(Dialog& dialog, std::int32_t id, DialogCallback routine,
                       ValueIndex selector = ValueIndex::Default);

// text's size on entry is its declared length: the value is returned truncated or
// blank-padded to it.
bool DialogGetText(Dialog& dialog, std::int32_t id, std::string& text, ValueIndex selector = ValueIndex::Default);
bool DialogGetInteger(Dialog& dialog, std::int32_t id, std::int32_t& value, ValueIndex selector = ValueIndex::Default);
bool DialogGetLogical(Dialog& dialog, std::int32_t id, Logical& value, ValueIndex selector = ValueIndex::Default);

// Runs the dialog modally on the calling thread and returns its end code; -1 when the dialog
// box could not be created, the dialog was not loaded or is already running, or the dialog
// manager ended it on its own.
std::int32_t DialogRunModal(Dialog& dialog);

// When the dialog runs: reads every control back into its record and closes the box. The end
// code stays as it is.
void DialogEnd(Dialog& dialog);
void DialogSetEndCode(Dialog& dialog, std::int32_t code);

// Frees the records. Does not close a running dialog box.
void DialogRelease(Dialog& dialog);

// The name under which a refused control style is reported, or empty when the runtime accepts
// the item (unknown classes included: they are skipped without a report).
std::string_view rejectedStyleName(const TemplateItem& item);

// The kind a template item becomes, or empty for an item that gets no record.
std::optional<ControlKind> classifyItem(const TemplateItem& item);

} // namespace dialogs
