#include "platform/ui/qt/QtFrontEnd.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QApplication>
#include <QFontDatabase>

#include <cstdio>
#include <cstdlib>
#include <future>
#include <mutex>
#include <thread>

#include "platform/ui/qt/QtFrontEndImpl.h"

namespace ui::qt {
namespace {

// Whether the display a program would open can be reached: a connection to
// the X server's socket, or the Wayland compositor's. Qt itself ends the
// process when it cannot open its display.
bool DisplayReachable(std::string* problem) {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (platform != nullptr && std::string(platform).rfind("offscreen", 0) == 0) return true;
  std::string path;
  if (const char* wayland = std::getenv("WAYLAND_DISPLAY"); wayland != nullptr && *wayland) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    path = wayland[0] == '/' ? wayland : std::string(runtime != nullptr ? runtime : "") + "/" + wayland;
  } else if (const char* x = std::getenv("DISPLAY"); x != nullptr && *x) {
    const std::string display = x;
    const std::size_t colon = display.rfind(':');
    // A remote display (host:N) is reached over the network; let Qt try.
    if (colon != 0 || colon == std::string::npos) return true;
    path = "/tmp/.X11-unix/X" + display.substr(1, display.find('.') - 1);
  } else {
    *problem = "no display is set (DISPLAY, WAYLAND_DISPLAY)";
    return false;
  }
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (fd < 0 || path.size() >= sizeof address.sun_path) {
    if (fd >= 0) close(fd);
    *problem = "the display cannot be reached";
    return false;
  }
  path.copy(address.sun_path, path.size());
  const bool reached = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  if (!reached) *problem = "the display cannot be reached (" + path + ")";
  return reached;
}

// The Qt thread's object through which work reaches it.
struct QtThread {
  std::thread thread;
  QObject* context = nullptr;
  std::shared_ptr<QtFrontEndImpl> frontEnd;
};

void FilterMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  // Qt runs on a thread of its own on purpose, and what the offscreen
  // platform of the tests cannot do does not matter there.
  if (message.contains("not created in the main() thread") || message.contains("This plugin does not support") ||
      message.contains("XDG_RUNTIME_DIR")) {
    return;
  }
  if (type == QtDebugMsg || type == QtInfoMsg) return;
  std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

QtThread* running = nullptr;  // Qt runs once per process, until it ends
std::mutex runningMutex;

}  // namespace

std::shared_ptr<FrontEnd> CreateQtFrontEnd(std::string* problem) {
  std::lock_guard lock(runningMutex);
  if (running != nullptr) return running->frontEnd;
  std::string why;
  if (!DisplayReachable(&why)) {
    if (problem != nullptr) *problem = why;
    return nullptr;
  }
  auto* qt = new QtThread;
  std::promise<QObject*> ready;
  std::future<QObject*> made = ready.get_future();
  qt->thread = std::thread([&ready] {
    qInstallMessageHandler(FilterMessages);
    static int argc = 1;
    static char name[] = "orvane";
    static char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    application.setQuitOnLastWindowClosed(false);
    // A font that has the Arabic letters too, where the system has it.
    if (QFontDatabase::families().contains("DejaVu Sans")) {
      QApplication::setFont(QFont("DejaVu Sans", 9));
    }
    QObject context;
    ready.set_value(&context);
    QApplication::exec();
  });
  qt->context = made.get();
  qt->frontEnd = std::make_shared<QtFrontEndImpl>(qt->context);
  running = qt;
  return qt->frontEnd;
}

void ShutdownQtFrontEnd() {
  std::lock_guard lock(runningMutex);
  if (running == nullptr) return;
  if (ui::CurrentFrontEnd() == running->frontEnd) ui::SetFrontEnd(nullptr);
  QMetaObject::invokeMethod(running->context, [] { QApplication::quit(); }, Qt::QueuedConnection);
  running->thread.join();
  // Whoever still holds the front end must not use it any more.
  delete running;
  running = nullptr;
}

}  // namespace ui::qt
