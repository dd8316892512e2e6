#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>

#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer keeps a freed block's bytes as they were while the block waits in its
// quarantine, and Qt's own code is not instrumented: a view test that hands a destroyed
// widget to Qt reads its old values there and passes, where the plain build reuses the
// block and corrupts its heap. Freed blocks filled with garbage fail such a test here too.
// Every test program's options; ASAN_OPTIONS adds to them.
extern "C" const char* __asan_default_options() { return "max_free_fill_size=1048576"; }
#endif

// The one main of every test program. Listing needs no window system; running gets an
// application object, which the SQL driver plugins, font metrics and the widget tests
// need, on the offscreen platform unless another one is asked for.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // A private runtime folder keeps Qt quiet where the session has none.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QString runtime = QDir::tempPath() + QStringLiteral("/shopproc-runtime");
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
    }
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
