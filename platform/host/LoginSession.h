#pragma once

#include <QString>
#include <memory>

#include "platform/db/Database.h"
#include "src/entry/HostInterfaces.h"

namespace sp::platform {

// The host's login: who works, in which language, on which database and machine.
// It builds the login property string every server-side call receives.
//
// The property string has no escape syntax, so a value holding ";", "=", "{", "}",
// "|" or a line break would split or shift its entries: such values are refused when
// the session is made. Quotes are allowed; they mean nothing to the property string.
class LoginSession {
  public:
    // Raises ComError (ErrorNumber::Refused) for a value the property string cannot carry.
    LoginSession(std::shared_ptr<Database> db, qint32 userId, QString userName, QString language,
                 QString computerName);

    // The user of that name, or ComError (ErrorNumber::NotFound) when there is none.
    static qint32 FindUserId(Database& db, const QString& userName);

    // "UserID=1;UserName=demo;Language=chs;DBConnection={...};ComputerName=PC1;"
    QString PropsString() const;

    qint32 UserId() const { return userId_; }
    const QString& UserName() const { return userName_; }
    const QString& Language() const { return language_; }
    const QString& ComputerName() const { return computerName_; }
    const std::shared_ptr<Database>& Db() const { return db_; }

    // The function-conflict control the host hands out as "VLLogin".
    void SetLoginObject(std::shared_ptr<ILoginObject> login) { login_ = std::move(login); }
    const std::shared_ptr<ILoginObject>& LoginObject() const { return login_; }

    // Whether a value can stand in the property string.
    static bool IsCarriable(const QString& value);

  private:
    std::shared_ptr<Database> db_;
    qint32 userId_;
    QString userName_;
    QString language_;
    QString computerName_;
    std::shared_ptr<ILoginObject> login_;
};

}  // namespace sp::platform
