"""An OAuth 2.0 identity provider on 127.0.0.1 for the sign-in tests (Python's standard library only).

GET  /authorize   checks the request of a native app (client_id, response_type=code, a loopback
                  redirect_uri, state, code_challenge with S256, the SMTP.Send and offline_access
                  scopes) and approves at once: 302 to redirect_uri with code and state.
POST /token       authorization_code: checks the code, client, redirect_uri and the PKCE verifier
                  against the challenge (RFC 7636 §4.6); refresh_token: checks the refresh token.
                  Issues an access token, a new refresh token (the old one is then refused), an
                  ID token naming the user, and the scopes granted (those of the resource asked for).
POST /introspect  RFC 7662: {"active": ..., "username": ...} for an access token.
POST /introspect/imap  the same for the IMAP server, which may be told to refuse tokens the
                  other servers still take ("expire-imap").

Prints "ready PORT" once it listens, then one line per event:
  "authorize"                       an authorization request answered as told
  "issued GRANT ACCESS REFRESH"     tokens issued (GRANT: authorization_code or refresh_token)
  "refused GRANT ERROR"             a token request refused
  "introspect-imap active|inactive" the IMAP server asked about a token
  "ok COMMAND"                      a command of the standard input applied
Commands on the standard input, one a line:
  refuse ERROR [DESCRIPTION]   the next authorizations redirect with this error
  wrong-state                  the next authorizations redirect with a state that is not the client's
  approve                      authorizations are approved again
  lifetime SECONDS             the lifetime (expires_in) of the access tokens issued from now
  expire                       every access token issued so far is no longer active
  expire-imap                  every access token issued so far is no longer active for the IMAP
                               server (/introspect/imap) only
  refuse-imap                  no access token, issued so far or later, is active for the IMAP server
  revoke                       every refresh and access token issued so far is refused
Ends when its standard input closes.
Usage: oauth_provider.py CLIENT_ID USER
"""
import base64
import hashlib
import http.server
import json
import secrets
import sys
import threading
import time
import urllib.parse


def b64url(data):
    return base64.urlsafe_b64encode(data).rstrip(b"=").decode()


def main():
    client_id, user = sys.argv[1], sys.argv[2]
    lock = threading.Lock()
    state = {"mode": "approve", "error": None, "description": None, "lifetime": 3600}
    codes = {}       # code -> (redirect_uri, challenge)
    refresh = {}  # refresh tokens that are good -> the scopes they grant
    access = {}      # access token -> expiry time, or 0 when ended
    imap_refused = set()  # access tokens the IMAP server is told are not active
    imap_refuses_all = [False]

    def say(*words):
        print(*words, flush=True)

    def issue(grant, scope):
        access_token = "at-" + secrets.token_urlsafe(24)
        refresh_token = "rt-" + secrets.token_urlsafe(32)
        access[access_token] = time.time() + state["lifetime"]
        refresh[refresh_token] = scope
        claims = {"iss": "http://127.0.0.1/test-provider", "aud": client_id, "email": user,
                  "preferred_username": user, "name": "Jana Nováková"}
        id_token = b64url(b'{"alg":"none","typ":"JWT"}') + "." + b64url(json.dumps(claims).encode()) + ".c2ln"
        say("issued", grant, access_token, refresh_token)
        return {"token_type": "Bearer", "access_token": access_token, "refresh_token": refresh_token,
                "expires_in": state["lifetime"], "ext_expires_in": state["lifetime"], "id_token": id_token,
                "scope": scope}

    class Handler(http.server.BaseHTTPRequestHandler):
        def log_message(self, *args):
            pass

        def reply(self, status, body, content_type="application/json", headers=()):
            data = body.encode() if isinstance(body, str) else body
            self.send_response(status)
            self.send_header("Content-Type", content_type)
            self.send_header("Content-Length", str(len(data)))
            self.send_header("Cache-Control", "no-store")
            for name, value in headers:
                self.send_header(name, value)
            self.end_headers()
            self.wfile.write(data)

        def refuse(self, grant, error, description=""):
            say("refused", grant, error)
            self.reply(400, json.dumps({"error": error, "error_description": description}))

        def do_GET(self):
            url = urllib.parse.urlsplit(self.path)
            if url.path != "/authorize":
                return self.reply(404, "not found", "text/plain")
            query = dict(urllib.parse.parse_qsl(url.query, keep_blank_values=True, strict_parsing=False))
            redirect = query.get("redirect_uri", "")
            scopes = query.get("scope", "").split(" ")
            problems = [name for name, good in [
                ("client_id", query.get("client_id") == client_id),
                ("response_type", query.get("response_type") == "code"),
                ("redirect_uri", redirect.startswith("http://127.0.0.1:") and redirect.endswith("/")),
                ("state", len(query.get("state", "")) >= 16),
                ("code_challenge", len(query.get("code_challenge", "")) == 43),
                ("code_challenge_method", query.get("code_challenge_method") == "S256"),
                ("scope", "https://outlook.office.com/SMTP.Send" in scopes and "offline_access" in scopes),
            ] if not good]
            if problems:
                say("bad-authorize", ",".join(problems))
                return self.reply(400, "bad authorization request: " + ",".join(problems), "text/plain")
            with lock:
                answer = {"state": query["state"]}
                if state["mode"] == "refuse":
                    answer["error"] = state["error"]
                    if state["description"]:
                        answer["error_description"] = state["description"]
                else:
                    code = secrets.token_urlsafe(24)
                    # Granted: the resource's scopes asked for, as the sign-in server names them.
                    granted = " ".join(scope for scope in scopes if scope.startswith("https://"))
                    codes[code] = (redirect, query["code_challenge"], granted)
                    answer["code"] = code
                    if state["mode"] == "wrong-state":
                        answer["state"] = query["state"] + "x"
            say("authorize")
            self.reply(302, "", "text/plain", [("Location", redirect + "?" + urllib.parse.urlencode(answer))])

        def do_POST(self):
            length = int(self.headers.get("Content-Length", "0"))
            form = dict(urllib.parse.parse_qsl(self.rfile.read(length).decode(), keep_blank_values=True))
            path = urllib.parse.urlsplit(self.path).path
            with lock:
                if path in ("/introspect", "/introspect/imap"):
                    token = form.get("token", "")
                    active = access.get(token, 0) > time.time()
                    if path == "/introspect/imap":
                        active = active and token not in imap_refused and not imap_refuses_all[0]
                        say("introspect-imap", "active" if active else "inactive")
                    return self.reply(200, json.dumps({"active": active, "username": user if active else None}))
                if path != "/token":
                    return self.reply(404, "not found", "text/plain")
                grant = form.get("grant_type", "")
                if form.get("client_id") != client_id:
                    return self.refuse(grant, "invalid_client")
                if grant == "authorization_code":
                    found = codes.pop(form.get("code", ""), None)
                    if found is None:
                        return self.refuse(grant, "invalid_grant", "unknown or used code")
                    redirect, challenge, granted = found
                    if form.get("redirect_uri") != redirect:
                        return self.refuse(grant, "invalid_grant", "redirect_uri differs")
                    verifier = form.get("code_verifier", "")
                    if b64url(hashlib.sha256(verifier.encode()).digest()) != challenge:
                        return self.refuse(grant, "invalid_grant", "PKCE verification failed")
                    return self.reply(200, json.dumps(issue(grant, granted)))
                if grant == "refresh_token":
                    token = form.get("refresh_token", "")
                    if token not in refresh:
                        return self.refuse(grant, "invalid_grant",
                                           "AADSTS70000: The provided grant has expired due to it being revoked.")
                    return self.reply(200, json.dumps(issue(grant, refresh.pop(token))))
                return self.refuse(grant, "unsupported_grant_type")

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    say("ready", server.server_address[1])
    for line in sys.stdin:
        words = line.split(maxsplit=2)
        if not words:
            continue
        with lock:
            if words[0] == "refuse":
                state.update(mode="refuse", error=words[1], description=words[2].strip() if len(words) > 2 else None)
            elif words[0] in ("wrong-state", "approve"):
                state["mode"] = words[0]
            elif words[0] == "lifetime":
                state["lifetime"] = int(words[1])
            elif words[0] == "expire":
                for token in access:
                    access[token] = 0
            elif words[0] == "expire-imap":
                imap_refused.update(access)
            elif words[0] == "refuse-imap":
                imap_refuses_all[0] = True
            elif words[0] == "revoke":
                refresh.clear()
                for token in access:
                    access[token] = 0
        say("ok", words[0])
    server.shutdown()


if __name__ == "__main__":
    main()
