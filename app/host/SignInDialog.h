#pragma once

#include "app/host/SignIn.h"

namespace sp::host {

// The small window that asks a clerk for the password when the database server wants one:
// the user name filled in (and changeable), the password never shown. Its widgets carry
// names (frmSignIn, txtUser, txtPassword, lblProblem, cmdOK, cmdCancel) for the tests that
// drive the program from outside.
class DialogAsker : public PasswordAsker {
  public:
    std::optional<Credentials> Ask(const QString& user, const QString& where,
                                   const QString& problem) override;
};

}  // namespace sp::host
