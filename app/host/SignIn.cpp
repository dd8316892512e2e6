#include "app/host/SignIn.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <iostream>
#include <string>

#include "app/host/Texts.h"
#include "platform/db/PgSignIn.h"
#include "src/common/ComError.h"

namespace sp::host {
namespace {

constexpr int kTries = 3;

[[noreturn]] void Refuse(const QString& message) {
    throw ComError(ErrorNumber::Refused, QStringLiteral("erp-host"), message);
}

// The program's terminal, even when its standard input and output are redirected.
class Terminal {
  public:
    Terminal() : fd_(::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC)) {}
    ~Terminal() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;
    bool Open() const { return fd_ >= 0; }

    void Say(const QString& text) {
        const QByteArray bytes = text.toLocal8Bit();
        if (::write(fd_, bytes.constData(), bytes.size()) < 0)
            return;
    }
    // One line typed without echo; nullopt at end of input.
    // Echo goes off before the prompt shows, so an answer typed the moment it appears is
    // never echoed.
    std::optional<QString> ReadHidden(const QString& prompt) {
        termios saved{};
        const bool tty = ::tcgetattr(fd_, &saved) == 0;
        if (tty) {
            termios quiet = saved;
            quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
            quiet.c_lflag |= ECHONL;
            ::tcsetattr(fd_, TCSANOW, &quiet);
        }
        Say(prompt);
        QByteArray line;
        char c = 0;
        bool ended = false;
        while (true) {
            const ssize_t n = ::read(fd_, &c, 1);
            if (n <= 0) {
                ended = line.isEmpty();
                break;
            }
            if (c == '\n')
                break;
            line.append(c);
        }
        if (tty)
            ::tcsetattr(fd_, TCSANOW, &saved);
        if (ended)
            return std::nullopt;
        if (line.endsWith('\r'))
            line.chop(1);
        return QString::fromLocal8Bit(line);
    }

  private:
    int fd_;
};

}  // namespace

std::optional<Credentials> TerminalAsker::Ask(const QString& user, const QString& where,
                                              const QString& problem) {
    Terminal terminal;
    if (!terminal.Open())
        return std::nullopt;
    if (!problem.isEmpty())
        terminal.Say(Texts::NotSignedInBecause(problem));
    const std::optional<QString> password = terminal.ReadHidden(Texts::PasswordPrompt(user, where));
    if (!password)
        return std::nullopt;
    return Credentials{user, *password};
}

std::shared_ptr<platform::Database> OpenSignedIn(platform::DatabaseUrl url, platform::SchemaPolicy policy,
                                                 PasswordAsker* asker) {
    using platform::PgSignIn;
    // libpq would sign in as this user anyway; naming it keeps the login's connection text and
    // the question asked true.
    if (url.dialect == platform::Dialect::PostgreSQL && url.user.isEmpty())
        url.user = PgSignIn::DefaultUser(url);
    for (int tries = 0;; ++tries) {
        try {
            return platform::Database::Open(url, policy);
        } catch (const ComError&) {
            if (url.dialect != platform::Dialect::PostgreSQL)
                throw;
            QString why;
            const PgSignIn::Outcome outcome = PgSignIn::Try(url, &why);
            if (outcome != PgSignIn::Outcome::PasswordNeeded && outcome != PgSignIn::Outcome::PasswordRefused)
                throw;
            const QString where = QStringLiteral("%1 (%2:%3)").arg(url.name, url.host).arg(url.port);
            if (tries == kTries)
                Refuse(Texts::NotSignedIn(where, url.user, why));
            const std::optional<Credentials> given =
                asker ? asker->Ask(url.user, where,
                                   outcome == PgSignIn::Outcome::PasswordRefused ? why : QString())
                      : std::nullopt;
            if (!given) {
                if (outcome == PgSignIn::Outcome::PasswordRefused)
                    Refuse(Texts::NotSignedIn(where, url.user, why));
                Refuse(Texts::NoPasswordToGive(url.user, where));
            }
            url.user = given->user;
            url.password = given->password;
            platform::DatabaseUrl::RememberSecret(url.password);
        }
    }
}

QString NewPassword(const QString& forWhom, bool fromStdin) {
    QString password;
    if (fromStdin) {
        std::string line;
        std::getline(std::cin, line);
        password = QString::fromLocal8Bit(line.c_str());
        if (password.endsWith(u'\r'))
            password.chop(1);
    } else {
        Terminal terminal;
        if (!terminal.Open())
            Refuse(Texts::NewPasswordNeedsTerminal());
        const std::optional<QString> first = terminal.ReadHidden(Texts::NewPasswordPrompt(forWhom));
        const std::optional<QString> second =
            first ? terminal.ReadHidden(Texts::AgainPrompt()) : std::nullopt;
        if (!first || !second)
            Refuse(Texts::NoPasswordTyped());
        if (*first != *second)
            Refuse(Texts::PasswordsDiffer());
        password = *first;
    }
    if (password.isEmpty())
        Refuse(Texts::EmptyPassword());
    platform::DatabaseUrl::RememberSecret(password);
    return password;
}

}  // namespace sp::host
