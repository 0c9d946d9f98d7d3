#include "app/account/MicrosoftTokens.h"

#include <condition_variable>
#include <memory>
#include <mutex>

#include "app/account/OAuthHttp.h"
#include "app/account/SignInErrors.h"
#include "app/account/StoredSmtpAccount.h"
#include "net/oauth/OAuthTokenReply.h"
#include "net/transport/IdSocketExceptions.h"
#include "storage/IniLocation.h"
#include "storage/Variant.h"
#include "storage/forms/FormStorage.h"

namespace quillory {

MicrosoftTokens::MicrosoftTokens(TFormStorage& storage, OAuthHttp& http, QObject* parent)
    : QObject(parent), storage_(storage), http_(http) {}

MicrosoftSettings MicrosoftTokens::Settings() const {
    MicrosoftSettings settings = ReadMicrosoftSettings(ResolveIniPath(storage_.IniFileName()).string());
    if (timeLimitMs_) settings.timeLimitMs = *timeLimitMs_;
    return settings;
}

MicrosoftRegistration MicrosoftTokens::Registration() const {
    return ReadMicrosoftRegistration(ResolveIniPath(storage_.IniFileName()).string());
}

void MicrosoftTokens::KeepRegistration(const MicrosoftRegistration& registration) {
    WriteMicrosoftRegistration(ResolveIniPath(storage_.IniFileName()).string(), registration);
}

std::string MicrosoftTokens::RefreshToken() const {
    return VarToStr(storage_.ReadStoredValue(kOAuthRefreshTokenName));
}

bool MicrosoftTokens::SignedIn() const { return !RefreshToken().empty(); }

QString MicrosoftTokens::Address() const {
    return QString::fromUtf8(VarToStr(storage_.ReadStoredValue(kOAuthAddressName)).c_str());
}

bool MicrosoftTokens::GrantsImap() const {
    const QString scope = QString::fromUtf8(VarToStr(storage_.ReadStoredValue(kOAuthScopeName)).c_str());
    return scope.isEmpty() || scope.contains(QStringLiteral("IMAP.AccessAsUser.All"), Qt::CaseInsensitive);
}

void MicrosoftTokens::Keep(const TOAuthTokenReply& tokens) {
    accessToken_ = tokens.accessToken;
    expiresAt_ = std::chrono::steady_clock::now() +
                 (tokens.expiresIn ? std::chrono::seconds(*tokens.expiresIn) : kAssumedLifetime);
    // RFC 6749 §6: a refresh may hand out a new refresh token, which then replaces the old one.
    if (!tokens.refreshToken.empty()) storage_.WriteStoredValue(kOAuthRefreshTokenName, tokens.refreshToken);
    if (!tokens.signedInAddress.empty()) storage_.WriteStoredValue(kOAuthAddressName, tokens.signedInAddress);
    if (!tokens.scope.empty()) storage_.WriteStoredValue(kOAuthScopeName, tokens.scope);
}

void MicrosoftTokens::Adopt(const TOAuthTokenReply& tokens, const QString& typedAddress) {
    // A renewal under way belongs to the sign-in before: its answer is dropped, and whoever waits
    // for it gets the new sign-in's token.
    ++generation_;
    refreshing_ = false;
    storage_.WriteStoredValue(kOAuthAddressName, typedAddress.trimmed().toUtf8().toStdString());
    storage_.WriteStoredValue(kOAuthScopeName, std::string());
    Keep(tokens);
    Settle({accessToken_, nullptr});
    emit signInChanged();
}

void MicrosoftTokens::SignOut() {
    ++generation_;
    refreshing_ = false;
    accessToken_.clear();
    expiresAt_ = {};
    storage_.WriteStoredValue(kOAuthRefreshTokenName, std::string());
    storage_.WriteStoredValue(kOAuthAddressName, std::string());
    storage_.WriteStoredValue(kOAuthScopeName, std::string());
    Settle({{}, std::make_exception_ptr(ESignInRequired())});
    emit signInChanged();
}

void MicrosoftTokens::AccessToken(bool renew, std::function<void(const Result&)> done) {
    if (!renew && !refreshing_ && !accessToken_.empty() &&
        std::chrono::steady_clock::now() + kRenewalMargin < expiresAt_) {
        done({accessToken_, nullptr});
        return;
    }
    waiting_.push_back(std::move(done));
    // A request for a new token while a renewal runs is answered by that renewal.
    if (!refreshing_) Refresh();
}

void MicrosoftTokens::Refresh() {
    const std::string refreshToken = RefreshToken();
    if (refreshToken.empty()) {
        Settle({{}, std::make_exception_ptr(ESignInRequired())});
        return;
    }
    const MicrosoftSettings settings = Settings();
    if (const auto problem = settings.Problem()) {
        Settle({{}, std::make_exception_ptr(ESignInServerError("configuration", problem->toStdString()))});
        return;
    }
    refreshing_ = true;
    accessToken_.clear();
    // The scopes of the sign-in stay with its refresh token (RFC 6749 §6), so none are named here.
    const OAuthHttp::Form form{{"client_id", settings.clientId},
                               {"grant_type", "refresh_token"},
                               {"refresh_token", QString::fromStdString(refreshToken)}};
    http_.PostForm(
        settings.tokenEndpoint, form, [this, generation = generation_](const OAuthHttpReply& reply) {
            if (generation != generation_) return;  // signed in or out meanwhile: Settle has answered
            refreshing_ = false;
            if (reply.status == 0) {
                Settle({{},
                        std::make_exception_ptr(ESignInServerUnreachable(reply.networkError.toStdString()))});
                return;
            }
            try {
                const TOAuthTokenReply tokens = ReadOAuthTokenReply(reply.body.toStdString());
                if (tokens.IsError()) {
                    if (tokens.error == "invalid_grant") {
                        // The refresh token is dead for good: it is forgotten, who signed in is kept
                        // to be shown.
                        ++generation_;
                        storage_.WriteStoredValue(kOAuthRefreshTokenName, std::string());
                        Settle({{}, std::make_exception_ptr(ESignInRequired(tokens.errorDescription))});
                        emit signInChanged();
                        return;
                    }
                    Settle(
                        {{},
                         std::make_exception_ptr(ESignInServerError(tokens.error, tokens.errorDescription))});
                    return;
                }
                Keep(tokens);
                Settle({accessToken_, nullptr});
            } catch (const EOAuthReplyError& error) {
                Settle(
                    {{}, std::make_exception_ptr(ESignInServerError("unreadable reply", error.Message()))});
            }
        });
}

void MicrosoftTokens::Settle(const Result& result) {
    std::vector<std::function<void(const Result&)>> waiting;
    waiting.swap(waiting_);
    for (const auto& done : waiting) done(result);
}

TAccessTokenSource MicrosoftTokens::ForWorker() {
    return [this](bool renew, const std::function<bool()>& cancelled) -> std::string {
        struct Pending {
            std::mutex lock;
            std::condition_variable answered;
            bool done = false;
            Result result;
        };
        const auto pending = std::make_shared<Pending>();
        // Asked on this object's thread; when the object is gone first, the call is dropped and
        // the wait ends with the send's cancel.
        QMetaObject::invokeMethod(
            this,
            [this, renew, pending] {
                AccessToken(renew, [pending](const Result& result) {
                    const std::lock_guard<std::mutex> guard(pending->lock);
                    pending->result = result;
                    pending->done = true;
                    pending->answered.notify_all();
                });
            },
            Qt::QueuedConnection);
        std::unique_lock<std::mutex> guard(pending->lock);
        // The cancel of a send has no way into this wait but its flag, looked at every 50 ms.
        while (!pending->answered.wait_for(guard, std::chrono::milliseconds(50),
                                           [&] { return pending->done; })) {
            if (cancelled && cancelled()) throw EIdOperationCancelled();
        }
        if (pending->result.error) std::rethrow_exception(pending->result.error);
        return pending->result.accessToken;
    };
}

}  // namespace quillory
