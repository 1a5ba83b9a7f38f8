// Time from process start to the main window shown and idle, and resident
// memory then: Tavrel's main window on the one-adapter sample against a bare
// Qt Widgets window, same build, same machine, same run.
//
//   gui_startup_bench [runs]        (run under xvfb-run, or with QT_QPA_PLATFORM=offscreen)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include "Mainfrm.h"
#include "Resources.h"
#include "MessageBoxes.h"
#include "ProgramState.h"
#include "registry/RegFileStore.h"

namespace {

long residentKiB()
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return -1;
}

// Reports once the window is exposed and the event queue has run dry.
void reportWhenIdle(QWidget* w, int fd)
{
    auto* timer = new QTimer(w);
    QObject::connect(timer, &QTimer::timeout, w, [w, fd, timer] {
        if (!w->windowHandle() || !w->windowHandle()->isExposed())
            return;
        timer->stop();
        QTimer::singleShot(0, w, [fd] {
            const std::string msg = std::to_string(residentKiB()) + "\n";
            if (::write(fd, msg.data(), msg.size()) < 0)
                std::_Exit(3);
            std::_Exit(0);
        });
    });
    timer->start(0);
}

int child(const char* mode, const char* registry, const char* folder, int fd)
{
    int argc = 1;
    char arg0[] = "tavrel";
    char* argv[] = {arg0, nullptr};
    QApplication app(argc, argv);
    if (std::strcmp(mode, "bare") == 0) {
        auto* w = new QWidget;
        w->resize(374, 323);
        w->show();
        reportWhenIdle(w, fd);
        return app.exec();
    }
    tavrel::initResources();
    tavrel::setApplicationMetadata();
    tavrel::RegFileStore store(registry);
    if (!store.load())
        return 2;
    tavrel::ProgramState state(store, tavrel::PresetFile(std::filesystem::path(folder) / "TAVRL.CFG"));
    tavrel::QtMessageBoxes messages;
    tavrel::Mainfrm* w = tavrel::Mainfrm::start(state, messages);
    if (!w)
        return 2;
    reportWhenIdle(w, fd);
    return app.exec();
}

struct Sample {
    double ms;
    long kib;
};

Sample measure(const char* self, const char* mode, const std::string& registry, const std::string& folder)
{
    int fds[2];
    if (::pipe(fds) != 0)
        std::exit(1);
    const auto t0 = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        const std::string fd = std::to_string(fds[1]);
        ::execl(self, self, "--child", mode, registry.c_str(), folder.c_str(), fd.c_str(), nullptr);
        std::_Exit(127);
    }
    ::close(fds[1]);
    char buf[64] = {};
    const ssize_t n = ::read(fds[0], buf, sizeof buf - 1);
    const auto t1 = std::chrono::steady_clock::now();
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (n <= 0) {
        std::fprintf(stderr, "%s run failed (status %d)\n", mode, status);
        std::exit(1);
    }
    return {std::chrono::duration<double, std::milli>(t1 - t0).count(), std::atol(buf)};
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 6 && std::strcmp(argv[1], "--child") == 0)
        return child(argv[2], argv[3], argv[4], std::atoi(argv[5]));

    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    const auto dir = std::filesystem::temp_directory_path() / ("tavrel-gui-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto registry = dir / "registry.reg";
    std::filesystem::copy_file(TAVREL_SAMPLE_REGISTRY, registry);

    char self[4096] = {};
    if (::readlink("/proc/self/exe", self, sizeof self - 1) <= 0)
        return 1;

    std::vector<double> bareMs, tavrelMs, bareKiB, tavrelKiB;
    measure(self, "bare", registry, dir); // warm the caches for both
    measure(self, "tavrel", registry, dir);
    for (int i = 0; i < runs; ++i) {
        // Interleaved, so that drift on the machine hits both alike.
        const Sample b = measure(self, "bare", registry, dir);
        const Sample t = measure(self, "tavrel", registry, dir);
        bareMs.push_back(b.ms);
        tavrelMs.push_back(t.ms);
        bareKiB.push_back(static_cast<double>(b.kib));
        tavrelKiB.push_back(static_cast<double>(t.kib));
    }
    std::filesystem::remove_all(dir);

    std::printf("runs: %d\n", runs);
    std::printf("start to idle, ms   bare min %.1f median %.1f | tavrel min %.1f median %.1f | ratio min %.2f median %.2f\n",
                *std::min_element(bareMs.begin(), bareMs.end()), median(bareMs),
                *std::min_element(tavrelMs.begin(), tavrelMs.end()), median(tavrelMs),
                *std::min_element(tavrelMs.begin(), tavrelMs.end()) / *std::min_element(bareMs.begin(), bareMs.end()),
                median(tavrelMs) / median(bareMs));
    std::printf("resident memory, KiB bare median %.0f | tavrel median %.0f | ratio %.2f\n", median(bareKiB),
                median(tavrelKiB), median(tavrelKiB) / median(bareKiB));
    return 0;
}
