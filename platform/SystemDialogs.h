#pragma once
// The system dialogs role: message boxes, the save-file dialog, and printing (the print dialog,
// the job it gives, and the abort box), each owned by the frame.

#include "platform/Picture.h"
#include "platform/Rect.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class MessageIcon {
    None,
    Information,
    Warning,
    Error,
    Question
};
enum class MessageButtons {
    Ok,
    OkCancel,
    YesNo,
    YesNoCancel
};
enum class MessageAnswer {
    Ok,
    Cancel,
    Yes,
    No
};

struct MessageBoxRequest {
    std::string caption;
    std::string text;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    // The button Enter presses; empty: the first button.
    std::optional<MessageAnswer> defaultAnswer;
    bool operator==(const MessageBoxRequest&) const = default;
};

// One entry of a file dialog's filter list: its text and the patterns it lets through.
struct FileFilter {
    std::string description; // "Bitmap Files(*.bmp)"
    std::string pattern;     // "*.bmp"
    bool operator==(const FileFilter&) const = default;
};

// The save-file dialog: owned by the frame, the first filter selected, an empty file name.
struct SaveFileRequest {
    std::vector<FileFilter> filters;
    std::string defaultExtension; // without the dot; added when the name has none
    bool confirmOverwrite = true; // ask before replacing an existing file
    std::string title;            // the dialog's caption; empty: the system's own ("Save As")
    // Names a format knows without an extension (POSCAR): a typed file name without an extension
    // that begins with one of these is kept as typed, without the default extension.
    std::vector<std::string> bareNames;
    bool operator==(const SaveFileRequest&) const = default;
};

// The open-file dialog: owned by the frame, the first filter selected; only an existing file
// can be chosen.
struct OpenFileRequest {
    std::vector<FileFilter> filters; // a pattern may hold several, blank-separated: "*.cif *.xyz"
    bool operator==(const OpenFileRequest&) const = default;
};

// Whether the save-file dialog gives the typed path as it is: its file name has an extension or
// is one of the request's bare names.
bool keepsTypedName(std::string_view path, const SaveFileRequest& request);

// How the print dialog ended.
enum class PrintDialogOutcome {
    Accepted,
    Cancelled,
    DriverLoadFailed, // the printer's driver could not be loaded
    NoDefaultPrinter,
    NoPrinter, // nothing to print to at all, not even a file
    Failed,    // any other failure
};

// What the layout of a page needs of the chosen printer.
struct PrinterFacts {
    int printableWidth = 0; // printer pixels
    int printableHeight = 0;
    int dpiX = 0; // printer pixels per inch across
    int dpiY = 0; // and down
    bool operator==(const PrinterFacts&) const = default;
};

// One print job on the printer chosen in the print dialog, used on the message thread. Each
// step returns false when it fails. Destroying the job releases the printer (and abandons a
// document still open).
class PrintJob {
public:
    virtual ~PrintJob() = default;
    virtual PrinterFacts facts() const = 0;
    [[nodiscard]] virtual bool startDocument(std::string_view name, int copies) = 0;
    [[nodiscard]] virtual bool startPage() = 0;
    // Stretches the whole picture over target (printer pixels of the printable area, both
    // corners inside), a plain copy of its colours, nearest pixel.
    [[nodiscard]] virtual bool drawPicture(const IndexedPicture& picture, Rect target) = 0;
    [[nodiscard]] virtual bool endPage() = 0;
    [[nodiscard]] virtual bool endDocument() = 0;
    // Abandons the document at once; nothing of it is printed.
    virtual void abortDocument() = 0;
    // Serves the messages waiting for the program's windows (the abort box among them) while
    // the job spools, so that the user can cancel it.
    virtual void serviceMessages() = 0;
};

struct PrintDialogResult {
    PrintDialogOutcome outcome = PrintDialogOutcome::Cancelled;
    std::unique_ptr<PrintJob> job; // set when accepted
};

class SystemDialogs {
public:
    virtual ~SystemDialogs() = default;

    // Shows a task-modal message box owned by the frame and returns the button chosen.
    virtual MessageAnswer messageBox(const MessageBoxRequest& request) = 0;
    // Shows the modal save-file dialog; the chosen path, or empty when the user cancelled.
    virtual std::optional<std::string> saveFileDialog(const SaveFileRequest& request) = 0;
    // Shows the modal open-file dialog; the chosen path, or empty when the user cancelled.
    virtual std::optional<std::string> openFileDialog(const OpenFileRequest& request) = 0;
    // Shows the modal print dialog with the settings kept from the last one (the first time
    // the defaults); an accepted dialog gives a job on the chosen printer.
    virtual PrintDialogResult printDialog() = 0;
    // Shows the modeless abort box of a print job ("Printing " with "Printing In Progress..."
    // and a Cancel button); onCancel runs on the message thread when Cancel is pressed. False
    // when the box cannot be created.
    virtual bool showPrintAbortBox(std::function<void()> onCancel) = 0;
    virtual void closePrintAbortBox() = 0;
};

} // namespace platform
