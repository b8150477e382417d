// Watches the screen as a user sees it while a saver starts: reads the whole root window over
// and over, a few milliseconds apart, and judges every capture against the first one, the
// desktop before the start.
//   screen-watch SECONDS               no capture may be mostly black or unlike the desktop
//   screen-watch SECONDS --tally FILE  the start's flashes are added to FILE, the tally of one
//                                      program's starts, to be judged later
//   screen-watch --judge FLOOR SAVER ALLOWANCE_MS
//                                      the saver's tally against the floor's, a program that
//                                      does nothing but show the desktop in a window like the
//                                      saver's, over as many starts (see FlashesBeyond)
// A watch prints "watching" once it holds the desktop (start the program then), and at the end
// the captures as runs of one kind, in ms since that line. It stops at the first capture with
// ripples, or after SECONDS. Status 0 when ripples came (and, without a tally, no capture was
// a flash); 1 when not, or when the judged saver showed more than the floor; 2 when the screen
// or a file cannot be read.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/screen/CaptureJudge.h"

namespace {

int64_t NowUs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t{now.tv_sec} * 1000000 + now.tv_nsec / 1000;
}

// Reads the root window into one image, through shared memory where the server offers it
// (a capture then costs the server one copy, and this program none).
class RootReader {
public:
    explicit RootReader(Display* display) : display(display), root(DefaultRootWindow(display))
    {
        XWindowAttributes attributes{};
        XGetWindowAttributes(display, root, &attributes);
        width = attributes.width;
        height = attributes.height;
        visual = attributes.visual;
        depth = attributes.depth;
        if (XShmQueryExtension(display))
            MakeShared();
    }

    ~RootReader()
    {
        if (shared) {
            XShmDetach(display, &segment);
            XSync(display, False);
        }
        if (image)
            XDestroyImage(image);
        if (segment.shmaddr && segment.shmaddr != reinterpret_cast<char*>(-1))
            shmdt(segment.shmaddr);
    }

    // The root as it is now; null when it cannot be read as 32-bit pixels.
    const XImage* Capture()
    {
        if (shared) {
            if (!XShmGetImage(display, root, image, 0, 0, AllPlanes))
                return nullptr;
        } else {
            if (image)
                XDestroyImage(image);
            image = XGetImage(display, root, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height),
                              AllPlanes, ZPixmap);
        }
        return image && image->bits_per_pixel == 32 ? image : nullptr;
    }

    bool Shared() const { return shared; }
    int Width() const { return width; }
    int Height() const { return height; }

private:
    void MakeShared()
    {
        image = XShmCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, nullptr, &segment,
                                static_cast<unsigned>(width), static_cast<unsigned>(height));
        if (!image)
            return;
        segment.shmid = shmget(IPC_PRIVATE, static_cast<size_t>(image->bytes_per_line) * static_cast<size_t>(height),
                               IPC_CREAT | 0600);
        if (segment.shmid < 0)
            return Unshare();
        segment.shmaddr = image->data = static_cast<char*>(shmat(segment.shmid, nullptr, 0));
        // Removed now, so that it goes with this process however it ends.
        shmctl(segment.shmid, IPC_RMID, nullptr);
        if (segment.shmaddr == reinterpret_cast<char*>(-1)) {
            image->data = nullptr;
            return Unshare();
        }
        segment.readOnly = False;
        shared = XShmAttach(display, &segment) != 0;
        XSync(display, False);
        if (!shared)
            Unshare();
    }

    void Unshare()
    {
        if (segment.shmaddr && segment.shmaddr != reinterpret_cast<char*>(-1))
            shmdt(segment.shmaddr);
        segment.shmaddr = nullptr;
        if (image) {
            image->data = nullptr;
            XDestroyImage(image);
            image = nullptr;
        }
        shared = false;
    }

    Display* display;
    Window root;
    int width = 0, height = 0, depth = 0;
    Visual* visual = nullptr;
    XShmSegmentInfo segment{};
    XImage* image = nullptr;
    bool shared = false;
};

const uint32_t* Row(const XImage& image, int y)
{
    return reinterpret_cast<const uint32_t*>(image.data + static_cast<size_t>(y) * static_cast<size_t>(image.bytes_per_line));
}

CaptureCounts Compare(const XImage& capture, const std::vector<uint32_t>& desktop, int width, int height)
{
    const ChannelMasks masks{static_cast<uint32_t>(capture.red_mask), static_cast<uint32_t>(capture.green_mask),
                             static_cast<uint32_t>(capture.blue_mask)};
    CaptureCounts counts;
    for (int y = 0; y < height; ++y)
        CountRow(Row(capture, y), desktop.data() + static_cast<size_t>(y) * static_cast<size_t>(width),
                 static_cast<size_t>(width), masks, counts);
    return counts;
}

void PrintTimeline(const CaptureTimeline& timeline, bool shared)
{
    for (const CaptureRun& run : timeline.Runs()) {
        std::printf("screen-watch: %s from %lld to %lld ms, %u captures", CaptureKindName(run.kind),
                    static_cast<long long>(run.firstMs), static_cast<long long>(run.lastMs), run.captures);
        if (IsFlash(run.kind)) {
            std::printf(": on the screen at least %lld ms", static_cast<long long>(run.AtLeastMs()));
            if (run.AtMostMs() >= 0)
                std::printf(", at most %lld ms", static_cast<long long>(run.AtMostMs()));
        }
        std::printf("\n");
    }
    std::printf("screen-watch: %u captures%s, at most %lld ms apart\n", timeline.Captures(),
                shared ? " through shared memory" : "", static_cast<long long>(timeline.LongestGapMs()));
}

bool ReadTally(const std::string& path, FlashTally& tally)
{
    std::ifstream file(path);
    if (!file)
        return true;  // no start yet
    std::stringstream text;
    text << file.rdbuf();
    return ParseTally(text.str(), tally);
}

int Judge(const std::string& floorPath, const std::string& saverPath, int64_t allowanceMs)
{
    FlashTally floor, saver;
    if (!ReadTally(floorPath, floor) || !ReadTally(saverPath, saver) || allowanceMs < 0) {
        std::fprintf(stderr, "screen-watch: cannot read the tallies %s and %s\n", floorPath.c_str(), saverPath.c_str());
        return 2;
    }
    if (floor.starts == 0 || floor.starts != saver.starts) {
        std::fprintf(stderr, "screen-watch: %u starts of the floor and %u of the saver\n", floor.starts, saver.starts);
        return 2;
    }
    for (size_t k = 0; k < kCaptureKinds; ++k) {
        if (floor.flashes[k] + saver.flashes[k] == 0)
            continue;
        std::printf("screen-watch: %s over %u starts: the floor %u times, at most %lld ms in all; the saver %u "
                    "times, at least %lld ms in all\n",
                    CaptureKindName(static_cast<CaptureKind>(k)), floor.starts, floor.flashes[k],
                    static_cast<long long>(floor.atMostMs[k]), saver.flashes[k],
                    static_cast<long long>(saver.atLeastMs[k]));
    }
    const std::vector<CaptureKind> beyond = FlashesBeyond(saver, floor, allowanceMs);
    for (CaptureKind kind : beyond)
        std::printf("screen-watch: FLASH: the saver showed %s beyond the floor (allowance %lld ms)\n",
                    CaptureKindName(kind), static_cast<long long>(allowanceMs));
    if (beyond.empty())
        std::printf("screen-watch: the saver showed no more than the floor\n");
    return beyond.empty() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && std::strcmp(argv[1], "--judge") == 0)
        return Judge(argv[2], argv[3], std::atoll(argv[4]));
    const double seconds = argc >= 2 ? std::atof(argv[1]) : 0;
    const bool tallied = argc == 4 && std::strcmp(argv[2], "--tally") == 0;
    if (seconds <= 0 || (argc != 2 && !tallied)) {
        std::fprintf(stderr, "usage: screen-watch SECONDS [--tally FILE] | --judge FLOOR SAVER ALLOWANCE_MS\n");
        return 2;
    }
    const std::string tallyPath = tallied ? argv[3] : "";
    FlashTally tally;
    if (tallied && !ReadTally(tallyPath, tally)) {
        std::fprintf(stderr, "screen-watch: %s is no tally\n", tallyPath.c_str());
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "screen-watch: cannot open the display\n");
        return 2;
    }
    int status = 2;
    {
        RootReader reader(display);
        const int width = reader.Width(), height = reader.Height();
        const XImage* first = reader.Capture();
        if (!first) {
            std::fprintf(stderr, "screen-watch: cannot read the screen as 32-bit pixels\n");
        } else {
            std::vector<uint32_t> desktop(static_cast<size_t>(width) * static_cast<size_t>(height));
            for (int y = 0; y < height; ++y)
                std::memcpy(desktop.data() + static_cast<size_t>(y) * static_cast<size_t>(width), Row(*first, y),
                            static_cast<size_t>(width) * sizeof(uint32_t));
            const int64_t start = NowUs();
            const int64_t end = start + static_cast<int64_t>(seconds * 1e6);
            std::printf("watching %dx%d\n", width, height);
            std::fflush(stdout);

            CaptureTimeline timeline;
            bool rippled = false, readable = true;
            while (!rippled && NowUs() < end) {
                const XImage* capture = reader.Capture();
                if (!capture) {
                    readable = false;
                    break;
                }
                const int64_t taken = NowUs();
                const CaptureKind kind = JudgeCapture(Compare(*capture, desktop, width, height));
                timeline.Add((taken - start) / 1000, kind);
                rippled = kind == CaptureKind::Ripples;
                // A few milliseconds apart: often enough to see any frame, and the saver and
                // the server keep most of the processor.
                const timespec pause{0, 2 * 1000 * 1000};
                nanosleep(&pause, nullptr);
            }
            PrintTimeline(timeline, reader.Shared());
            if (!readable) {
                std::printf("screen-watch: the screen could no longer be read\n");
            } else if (tallied) {
                timeline.AddToTally(tally);
                status = std::ofstream(tallyPath) << FormatTally(tally) ? 0 : 2;
            } else {
                status = timeline.HasFlash() ? 1 : 0;
                if (status)
                    std::printf("screen-watch: FLASH: a capture was mostly black or unlike the desktop\n");
            }
            if (readable && !rippled) {
                std::printf("screen-watch: no ripples within %g s\n", seconds);
                status = 1;
            }
        }
    }
    XCloseDisplay(display);
    return status;
}
