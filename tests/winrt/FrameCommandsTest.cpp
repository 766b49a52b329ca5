// Save, selection and Copy, Paste and line input, and Print, driven through the frame's
// commands on the headless platform.

#include "platform/headless/HeadlessPlatform.h"
#include "winrt/BitmapFile.h"
#include "winrt/Frame.h"
#include "tests/runtime/FakeFileSystem.h"

#include "tests/platform/PngRead.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

using namespace winrt;
using platform::HeadlessPlatform;
using platform::MouseAction;
using platform::PrintDialogOutcome;
using PrintStep = HeadlessPlatform::PrintStep;

namespace {

// A frame with one configured 800 x 600 window of 256 colours and 10 x 18 cells, titled "planes".
struct Session {
    HeadlessPlatform platform;
    WindowRuntime windows{platform};
    FrameRuntime frame{platform, windows, "facetor"};
    int32_t handle = -1;
    std::shared_ptr<WindowCanvas> canvas;
    platform::WindowId id;

    explicit Session(int width = 800, int height = 600)
    {
        platform.setMessageThread(std::this_thread::get_id());
        frame.start();
        WindowConfig c;
        c.pixel_width = int16_t(width);
        c.pixel_height = int16_t(height);
        c.colour_count = 256;
        c.font_size = fontCell(10, 18);
        c.setTitle("planes");
        c.title[6] = '\0'; // no trailing blanks in the caption
        EXPECT_TRUE(windows.set_window_config(c) || windows.set_window_config(c));
        handle = windows.currentWindow();
        canvas = windows.windowCanvas(handle);
        id = windows.windowInfo(handle)->platformWindow;
    }

    void mouse(MouseAction action, int x, int y) { frame.mouse(id, {action, x, y}); }
    void key(char ch) { frame.key(id, platform::KeyPress{platform::Key::Character, char32_t(ch)}); }
    bool grayed(int commandId) const
    {
        for (const auto& m : platform.menuBar())
            for (const auto& i : m.items)
                if (i.id == commandId)
                    return i.grayed;
        ADD_FAILURE() << "no item " << commandId;
        return false;
    }
    std::vector<platform::Rect> marked()
    {
        std::vector<platform::Rect> out;
        frame.paint(id, [&](const platform::PictureView& view) { out.assign(view.marked.begin(), view.marked.end()); });
        return out;
    }
    // Print messages and error boxes shown so far.
    std::vector<std::string> boxes() const
    {
        std::vector<std::string> out;
        for (const auto& b : platform.messageBoxes())
            out.push_back(b.text);
        return out;
    }
};

std::vector<uint8_t> readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class TempDir {
public:
    TempDir() : m_path(std::filesystem::temp_directory_path() / "facetor-frame-commands")
    {
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
    }
    ~TempDir() { std::filesystem::remove_all(m_path); }
    std::filesystem::path operator/(const char* name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

// Waits (without a time limit) until a condition holds, letting other threads run.
template <class F> void waitUntil(F condition)
{
    while (!condition())
        std::this_thread::yield();
}

const std::string InternalError = "Internal Error - unexpected error";

} // namespace

// --- Save -----------------------------------------------------------------------------------

TEST(SaveCommand, WritesTheWholeCanvasThroughTheSaveDialog)
{
    Session s;
    s.canvas->set_colour(40);
    s.canvas->draw_ellipse(3, 100, 50, 500, 400);
    s.canvas->out_text("surface");
    TempDir dir;
    s.platform.queueSaveFileAnswer((dir / "surface.bmp").string());
    s.frame.command(command::Save);

    const auto requests = s.platform.saveFileRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].filters,
              (std::vector<platform::FileFilter>{{"Bitmap Files(*.bmp)", "*.bmp"}, {"All Files(*.*)", "*.*"}}));
    EXPECT_EQ(requests[0].defaultExtension, "bmp");
    EXPECT_TRUE(requests[0].confirmOverwrite);

    const auto bytes = readFile(dir / "surface.bmp");
    ASSERT_EQ(bytes.size(), 1078u + 600u * 800u);
    const auto decoded = decodeBitmap(bytes);
    ASSERT_TRUE(decoded.ok());
    ASSERT_EQ(decoded.bitmap.width, 800);
    ASSERT_EQ(decoded.bitmap.height, 600);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            ASSERT_EQ(decoded.bitmap.index(x, y), s.canvas->canvas().pixel(x, y)) << x << "," << y;
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(decoded.bitmap.colourTable[size_t(i)], s.canvas->canvas().paletteEntry(i)) << i;
    EXPECT_TRUE(s.platform.messageBoxes().empty());
    EXPECT_EQ(s.frame.runState(), RunState::Running) << "saving does not pause the program";
    EXPECT_EQ(s.platform.statusText(1), "Wrote surface.bmp");

    // A name ending in .png gets a PNG file of the same pixels.
    s.platform.queueSaveFileAnswer((dir / "surface.PNG").string());
    s.frame.command(command::Save);
    const auto png = readFile(dir / "surface.PNG");
    const auto rgb = platform::test::decodeRgb(png, 800, 600);
    ASSERT_EQ(rgb.size(), 3u * 800u * 600u);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) {
            const platform::Rgb c = s.canvas->canvas().paletteEntry(s.canvas->canvas().pixel(x, y));
            const std::size_t at = 3 * std::size_t(y * 800 + x);
            ASSERT_EQ((platform::Rgb{rgb[at], rgb[at + 1], rgb[at + 2]}), c) << x << "," << y;
        }
    EXPECT_EQ(s.platform.statusText(1), "Wrote surface.PNG");

    // Cancel in the dialog writes nothing.
    s.frame.command(command::Save);
    EXPECT_EQ(s.platform.saveFileRequests().size(), 3u);
    EXPECT_FALSE(std::filesystem::exists(dir / "other.bmp"));
    EXPECT_TRUE(s.platform.messageBoxes().empty());
}

TEST(SaveCommand, AFileThatCannotBeWrittenShowsTheErrorBox)
{
    Session s;
    rt::test::FakeFileSystem files;
    files.files["/somewhere/picture.bmp"] = "the old picture";
    s.frame.setFileSystem(files);
    files.createError = EACCES;
    s.platform.queueSaveFileAnswer("/somewhere/picture.bmp");
    s.frame.command(command::Save);
    ASSERT_EQ(s.platform.messageBoxes().size(), 1u);
    EXPECT_EQ(s.platform.messageBoxes()[0].caption, "Window Runtime Error");
    EXPECT_EQ(s.platform.messageBoxes()[0].text.rfind(InternalError, 0), 0u);

    // The disk full in the middle: the box again, and the old picture stays.
    files.createError = 0;
    files.failingWrite = 1;
    files.writeAtError = ENOSPC;
    s.platform.queueSaveFileAnswer("/somewhere/picture.bmp");
    s.frame.command(command::Save);
    ASSERT_EQ(s.platform.messageBoxes().size(), 2u);
    EXPECT_EQ(s.platform.messageBoxes()[1].text.rfind(InternalError, 0), 0u);
    EXPECT_EQ(files.files.size(), 1u);
    EXPECT_EQ(files.files["/somewhere/picture.bmp"], "the old picture");
    EXPECT_EQ(s.frame.runState(), RunState::Running) << "a failed save does not stop the program";
}

TEST(SaveCommand, TheProgramIsHeldWhileThePictureIsSaved)
{
    // The hold a save or print takes stops the program at its next operation, apart from pause.
    PauseGate gate;
    gate.hold();
    bool passed = false;
    std::thread program([&] {
        gate.enter();
        passed = true;
    });
    gate.waitForWaiting(1);
    EXPECT_FALSE(passed);
    gate.pause();
    gate.resume(); // a resume does not end a hold
    EXPECT_EQ(gate.waiting(), 1);
    gate.release();
    program.join();
    EXPECT_TRUE(passed);
}

// --- Selection and Copy ---------------------------------------------------------------------

TEST(SelectAll, TextOnlyWindowCopiesTextAndAfterDrawingABitmap)
{
    Session s;
    EXPECT_EQ(s.windows.write_window_text(s.handle, "plane (1 1 1)\r\n"), 15);
    EXPECT_EQ(s.windows.write_window_text(s.handle, "   atoms 42"), 11);
    EXPECT_TRUE(s.grayed(command::Copy));
    s.frame.command(command::SelectAll);
    EXPECT_EQ(s.frame.runState(), RunState::Paused);
    EXPECT_FALSE(s.grayed(command::Copy));
    EXPECT_TRUE(s.grayed(command::SelectText));
    EXPECT_TRUE(s.grayed(command::SelectAll));
    EXPECT_EQ(s.platform.statusText(1), "Select Text - planes");
    EXPECT_FALSE(s.marked().empty()) << "the whole grid shows inverted";
    s.frame.command(command::Copy);
    EXPECT_EQ(s.platform.clipboardTextValue(), "plane (1 1 1)\r\n   atoms 42\r\n");
    EXPECT_FALSE(s.platform.clipboardImage());
    // Copy ends the selection and resumes.
    EXPECT_EQ(s.frame.runState(), RunState::Running);
    EXPECT_TRUE(s.grayed(command::Copy));
    EXPECT_FALSE(s.grayed(command::SelectAll));
    EXPECT_FALSE(s.frame.selection());
    EXPECT_TRUE(s.marked().empty());
    EXPECT_EQ(s.platform.statusText(1), "");

    s.canvas->set_colour(77);
    s.canvas->draw_ellipse(3, 10, 10, 40, 40);
    s.frame.command(command::SelectAll);
    EXPECT_EQ(s.platform.statusText(1), "Select graphics in planes");
    s.frame.command(command::Copy);
    const auto image = s.platform.clipboardImage();
    ASSERT_TRUE(image);
    EXPECT_FALSE(s.platform.clipboardTextValue());
    ASSERT_EQ(image->width, 800);
    ASSERT_EQ(image->height, 600);
    EXPECT_TRUE(std::equal(image->pixels.begin(), image->pixels.end(), s.canvas->canvas().pixels().begin()));
    EXPECT_EQ(image->pixels[25 * 800 + 25], 77);
    ASSERT_EQ(image->palette.size(), 256u);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(image->palette[size_t(i)], s.canvas->canvas().paletteEntry(i));

    // The whole-window clear forgets the drawing: text again.
    s.canvas->clear_screen(0);
    s.canvas->out_text("again");
    s.frame.command(command::SelectAll);
    s.frame.command(command::Copy);
    EXPECT_EQ(s.platform.clipboardTextValue(), "again\r\n");
}

TEST(SelectText, MarkingWithTheMouseAndCopy)
{
    Session s;
    s.windows.write_window_text(s.handle, "abcdefghij\r\n");
    s.windows.write_window_text(s.handle, "         XYZ");
    s.frame.command(command::SelectText);
    EXPECT_EQ(s.frame.runState(), RunState::Paused);
    EXPECT_EQ(s.platform.statusText(1), "Select Text - planes");
    EXPECT_TRUE(s.grayed(command::Copy)) << "nothing marked yet";
    EXPECT_TRUE(s.marked().empty());

    // Column (x / 10 rounded) 4, row (y / 18 truncated) 0: the fifth cell of the first row.
    s.mouse(MouseAction::Press, 44, 17);
    EXPECT_EQ(s.platform.statusText(1), "Mark Text - planes");
    s.mouse(MouseAction::Move, 60, 17);
    EXPECT_EQ(s.marked(), (std::vector<platform::Rect>{{40, 0, 30, 18}}));
    s.mouse(MouseAction::Release, 66, 17);
    EXPECT_FALSE(s.grayed(command::Copy));
    EXPECT_EQ(s.platform.statusText(1), "Select Text - planes");
    s.frame.key(s.id, platform::KeyPress{platform::Key::Insert, 0, true});
    EXPECT_EQ(s.platform.clipboardTextValue(), "efgh") << "Ctrl+Ins copies from column 5";
    EXPECT_EQ(s.frame.runState(), RunState::Running);

    // Row 2 from column 5: five blanks before the text of column 10; right to left the same.
    s.frame.command(command::SelectText);
    s.mouse(MouseAction::Press, 115, 20);
    s.mouse(MouseAction::Release, 40, 20);
    s.frame.command(command::Copy);
    EXPECT_EQ(s.platform.clipboardTextValue(), "     XYZ");
}

TEST(SelectGraphics, RectangleOfPixelsClampedAtRelease)
{
    Session s;
    s.canvas->set_colour(5);
    s.canvas->draw_ellipse(3, 0, 0, 799, 599);
    s.frame.command(command::SelectGraphics);
    EXPECT_EQ(s.platform.statusText(1), "Select graphics in planes");
    s.mouse(MouseAction::Press, 13, 22);
    EXPECT_EQ(s.platform.statusText(1), "Mark Graphics - planes");
    s.mouse(MouseAction::Release, 10, 20);
    EXPECT_EQ(s.marked(), (std::vector<platform::Rect>{{10, 20, 4, 3}}));
    s.frame.command(command::Copy);
    auto image = s.platform.clipboardImage();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 4);
    EXPECT_EQ(image->height, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(image->pixels[size_t(y * 4 + x)], s.canvas->canvas().pixel(10 + x, 20 + y));

    // Released far outside the window: the corner is clamped to the client area.
    s.frame.command(command::SelectGraphics);
    s.mouse(MouseAction::Press, 790, 590);
    s.mouse(MouseAction::Release, 5000, 5000);
    const auto client = s.platform.clientSize(s.id);
    const auto state = s.frame.selection();
    ASSERT_TRUE(state);
    EXPECT_EQ(state->selection.end,
              (SelectionPoint{std::min(client.width, 800) - 1, std::min(client.height, 600) - 1}));
    s.frame.command(command::Copy);
    image = s.platform.clipboardImage();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixels.size(), size_t(image->width) * size_t(image->height));
}

TEST(Selection, EscapeAndResumeEndItAndAUserPauseOutlivesIt)
{
    Session s;
    s.canvas->out_text("text");
    s.frame.command(command::SelectText);
    s.mouse(MouseAction::Press, 0, 0);
    s.mouse(MouseAction::Release, 20, 0);
    s.frame.key(s.id, platform::KeyPress{platform::Key::Escape});
    EXPECT_FALSE(s.frame.selection());
    EXPECT_EQ(s.frame.runState(), RunState::Running);
    EXPECT_TRUE(s.grayed(command::Copy));
    EXPECT_FALSE(s.grayed(command::SelectText));
    EXPECT_EQ(s.platform.statusText(1), "");
    EXPECT_FALSE(s.platform.clipboardTextValue()) << "Esc copies nothing";

    // Paused by the user first: ending the selection leaves the program paused.
    s.frame.command(command::Pause);
    s.frame.command(command::SelectGraphics);
    s.frame.command(command::Resume);
    EXPECT_FALSE(s.frame.selection());
    EXPECT_EQ(s.frame.runState(), RunState::Paused);
    s.frame.command(command::Resume);
    EXPECT_EQ(s.frame.runState(), RunState::Running);

    // In Size To Fit mode the mouse marks nothing.
    s.frame.command(command::SizeToFit);
    s.frame.command(command::SelectGraphics);
    s.mouse(MouseAction::Press, 10, 10);
    s.mouse(MouseAction::Release, 20, 20);
    EXPECT_TRUE(s.grayed(command::Copy));
    s.frame.command(command::Copy);
    EXPECT_FALSE(s.platform.clipboardImage());
    s.frame.command(command::Resume);
}

TEST(Copy, AClipboardFailureShowsTheErrorBoxAndStillEndsTheSelection)
{
    Session s;
    s.canvas->out_text("x");
    s.platform.setClipboardFails(true);
    s.frame.command(command::SelectAll);
    s.frame.command(command::Copy);
    ASSERT_EQ(s.platform.messageBoxes().size(), 1u);
    EXPECT_EQ(s.platform.messageBoxes()[0].text.rfind(InternalError, 0), 0u);
    EXPECT_FALSE(s.frame.selection());
    EXPECT_EQ(s.frame.runState(), RunState::Running);
}

// --- Line input, Paste, Clear Paste, Input --------------------------------------------------

TEST(LineInput, TypedKeysAreEchoedAndReturnedAtTheEndOfTheLine)
{
    Session s;
    s.key('x');
    EXPECT_EQ(s.platform.beeps(), 1) << "no read waits";
    EXPECT_TRUE(s.grayed(command::Input));

    std::array<char, 16> buffer{};
    int32_t n = 0;
    std::thread program([&] { n = s.windows.read_window_line(s.handle, buffer); });
    waitUntil([&] { return s.windows.readingWindow() == s.handle; });
    waitUntil([&] { return s.platform.statusText(1) == "Input pending in planes"; });
    EXPECT_FALSE(s.grayed(command::Input));
    for (char c : std::string("hi"))
        s.key(c);
    s.key('\b');
    s.key('o');
    s.frame.key(s.id, platform::KeyPress{platform::Key::Enter});
    program.join();
    ASSERT_EQ(n, 2);
    EXPECT_EQ(std::string(buffer.data(), 2), "ho");
    EXPECT_EQ(s.windows.readingWindow(), -1);
    EXPECT_EQ(s.platform.statusText(1), "");
    EXPECT_TRUE(s.grayed(command::Input));
    const auto pieces = s.canvas->canvas().textPieces();
    ASSERT_FALSE(pieces.empty());
    EXPECT_EQ(pieces[0].text.substr(0, 2), "ho") << "the echo, with the erased character blanked";
    EXPECT_EQ(s.canvas->canvas().textPosition(), (TextCell{2, 1})) << "the line end moves to the next row";
    EXPECT_EQ(s.platform.beeps(), 1);

    // Paused, keys are not taken; closing the frame ends a waiting read.
    std::thread second([&] { n = s.windows.read_window_line(s.handle, buffer); });
    waitUntil([&] { return s.windows.readingWindow() == s.handle; });
    s.frame.command(command::Input);
    EXPECT_EQ(s.platform.activeChild(), s.id);
    s.frame.command(command::Pause);
    s.key('z');
    EXPECT_EQ(s.platform.beeps(), 2);
    s.frame.command(command::Resume);
    s.frame.frameClosing();
    second.join();
    EXPECT_EQ(n, -1);
}

TEST(LineInput, PastedTextIsReadBeforeTypedKeysAndClearPasteDiscardsIt)
{
    Session s;
    s.platform.putClipboardText("abc\r\nrest");
    s.frame.command(command::Paste);
    EXPECT_EQ(s.platform.statusText(1), "Paste input pending");
    EXPECT_TRUE(s.windows.pastePending());

    std::array<char, 8> buffer{};
    EXPECT_EQ(s.windows.read_window_line(s.handle, buffer), 3);
    EXPECT_EQ(std::string(buffer.data(), 3), "abc");
    int32_t n = 0;
    std::thread program([&] { n = s.windows.read_window_line(s.handle, buffer); });
    // "rest" is used up without a line end: the read waits for the keyboard.
    waitUntil([&] { return !s.windows.pastePending() && s.platform.statusText(1) == "Input pending in planes"; });
    s.key('!');
    s.frame.key(s.id, platform::KeyPress{platform::Key::Enter});
    program.join();
    ASSERT_EQ(n, 5);
    EXPECT_EQ(std::string(buffer.data(), 5), "rest!");

    // Characters past the buffer's length are not taken.
    s.platform.putClipboardText("0123456789\n");
    s.frame.key(s.id, platform::KeyPress{platform::Key::Insert, 0, false, true}); // Shift+Ins
    EXPECT_EQ(s.windows.read_window_line(s.handle, std::span<char>(buffer.data(), 4)), 4);
    EXPECT_EQ(std::string(buffer.data(), 4), "0123");

    s.platform.putClipboardText("discarded");
    s.frame.command(command::Paste);
    s.frame.command(command::ClearPaste);
    EXPECT_FALSE(s.windows.pastePending());
    EXPECT_EQ(s.platform.statusText(1), "");
    EXPECT_EQ(s.windows.read_window_line(9999, buffer), -1) << "no such window";
}

// --- Print ------------------------------------------------------------------------------------

TEST(PrintCommand, OnePageStretchedToThePrintableWidth)
{
    Session s;
    s.canvas->set_colour(9);
    s.canvas->draw_ellipse(3, 200, 100, 600, 500);
    s.platform.setPrinterFacts({4800, 6600, 600, 600});
    s.platform.clearLog();
    s.frame.command(command::Print);
    ASSERT_EQ(s.platform.printJobs().size(), 1u);
    const auto job = s.platform.printJobs()[0];
    EXPECT_EQ(job.documentName, "planes");
    EXPECT_EQ(job.copies, 1);
    EXPECT_EQ(job.target, (platform::Rect{0, 0, 4800, 3600}));
    EXPECT_EQ(job.picture.width, 800);
    EXPECT_EQ(job.picture.height, 600);
    EXPECT_TRUE(std::equal(job.picture.pixels.begin(), job.picture.pixels.end(), s.canvas->canvas().pixels().begin()));
    EXPECT_EQ(job.picture.palette.size(), 256u);
    EXPECT_EQ(job.steps,
              (std::vector<std::string>{"start-document", "service", "start-page", "draw", "service", "end-page",
                                        "service", "end-document", "release"}));
    EXPECT_TRUE(s.platform.messageBoxes().empty());
    EXPECT_FALSE(s.platform.abortBoxShown());
    EXPECT_TRUE(s.platform.frameEnabled());
    const auto log = s.platform.log();
    const auto at = [&](const std::string& line) { return std::find(log.begin(), log.end(), line) - log.begin(); };
    EXPECT_LT(at("abort-box shown"), at("frame disabled"));
    EXPECT_LT(at("frame disabled"), at("frame enabled"));
    EXPECT_LT(at("frame enabled"), std::ptrdiff_t(log.size()));

    // 600 pixels per inch across and 300 down: half the rows.
    s.platform.setPrinterFacts({4800, 6600, 600, 300});
    s.frame.command(command::Print);
    EXPECT_EQ(s.platform.printJobs()[1].target, (platform::Rect{0, 0, 4800, 1800}));
    EXPECT_EQ(s.platform.printDialogs(), 2);
}

TEST(PrintCommand, EveryFailureEndsTheJobWithExactlyOneMessage)
{
    struct Case {
        std::optional<PrintDialogOutcome> outcome;
        std::optional<PrintStep> failing;
        std::string message; // empty: none
    };
    const Case cases[] = {
        {PrintDialogOutcome::Cancelled, {}, ""},
        {PrintDialogOutcome::Failed, {}, "Error! Printing Aborted"},
        {PrintDialogOutcome::DriverLoadFailed, {}, "Error! Loading printer driver"},
        {PrintDialogOutcome::NoDefaultPrinter, {}, "No Default Printer"},
        {PrintDialogOutcome::NoPrinter, {}, "No Printer Driver"},
        {{}, PrintStep::StartDocument, "Print: Internal Error"},
        {{}, PrintStep::StartPage, "Print: Internal Error"},
        {{}, PrintStep::DrawPicture, "Print: Printing Error"},
        {{}, PrintStep::EndPage, "Print: Printing Error"},
        {{}, PrintStep::EndDocument, "Print: Printing Error"},
    };
    for (const Case& c : cases) {
        Session s;
        if (c.outcome)
            s.platform.queuePrintDialogOutcome(*c.outcome);
        s.platform.setFailingPrintStep(c.failing);
        s.frame.command(command::Print);
        const auto boxes = s.platform.messageBoxes();
        if (c.message.empty()) {
            EXPECT_TRUE(boxes.empty());
        } else {
            ASSERT_EQ(boxes.size(), 1u) << c.message;
            EXPECT_EQ(boxes[0].text, c.message);
            EXPECT_EQ(boxes[0].caption, "facetor");
            EXPECT_EQ(boxes[0].icon, platform::MessageIcon::Information);
        }
        EXPECT_TRUE(s.platform.frameEnabled()) << c.message;
        EXPECT_FALSE(s.platform.abortBoxShown()) << c.message;
        if (c.failing && *c.failing != PrintStep::StartDocument && *c.failing != PrintStep::EndDocument) {
            const auto steps = s.platform.printJobs().at(0).steps;
            EXPECT_NE(std::find(steps.begin(), steps.end(), "abort"), steps.end()) << c.message;
            EXPECT_EQ(std::find(steps.begin(), steps.end(), "end-document"), steps.end()) << c.message;
        }
    }
    {
        Session s;
        s.platform.setAbortBoxFails(true);
        s.frame.command(command::Print);
        EXPECT_EQ(s.boxes(), std::vector<std::string>{"Print: Internal Error"});
        EXPECT_TRUE(s.platform.frameEnabled());
    }
    {
        // A printer too narrow for one row of the picture: the page fails.
        Session s;
        s.platform.setPrinterFacts({1, 1, 600, 600});
        s.frame.command(command::Print);
        EXPECT_EQ(s.boxes(), std::vector<std::string>{"Print: Printing Error"});
    }
}

TEST(PrintCommand, CancelInTheAbortBoxStopsTheJobWithNoSecondMessage)
{
    for (int service = 1; service <= 3; ++service) {
        Session s;
        s.platform.cancelPrintingAtService(service);
        s.frame.command(command::Print);
        const auto steps = s.platform.printJobs().at(0).steps;
        EXPECT_NE(std::find(steps.begin(), steps.end(), "abort"), steps.end()) << service;
        EXPECT_EQ(std::find(steps.begin(), steps.end(), "end-document"), steps.end()) << service;
        EXPECT_EQ(std::count(steps.begin(), steps.end(), "service"), service) << "nothing runs after Cancel";
        EXPECT_TRUE(s.platform.messageBoxes().empty()) << service;
        EXPECT_TRUE(s.platform.frameEnabled());
        EXPECT_FALSE(s.platform.abortBoxShown());
        // The next job starts afresh.
        s.platform.cancelPrintingAtService(std::nullopt);
        s.frame.command(command::Print);
        EXPECT_EQ(s.platform.printJobs().at(1).steps.back(), "release");
        EXPECT_TRUE(s.platform.messageBoxes().empty());
    }
}
