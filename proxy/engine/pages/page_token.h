#pragma once

#include <QByteArray>

namespace ql {

// Proof that a request which changes the proxy's state comes from one of the proxy's own
// pages. A token is a keyed hash (HMAC-SHA-256, cut to 32 hexadecimal digits) of the action it
// allows, under a secret drawn at random once per run: another site's page can neither know
// nor guess one, and a token read from a page served at another site's address allows only
// the action of the link it came with.
//
// Links and forms carry a token right after their command word: "/gcache;" + token, or
// "/online;" + token + "?" + target.

// The token that allows action ("/bookmarks", "/cache", "/gbookmarks", "/gcache" or a
// SwitchAction).
QByteArray PageToken(const QByteArray &action);
// True when token is the token of action. Compares in constant time.
bool IsPageToken(const QByteArray &token, const QByteArray &action);

// The action of a switch command ("/online" or "/offline") with the rest of its path
// (usually "?" + target): escapes decoded and "\" read as "/", so that a link still matches
// once the browser has escaped it.
QByteArray SwitchAction(const QByteArray &command, const QByteArray &rest);

// command + ";" + its token: the path with which the pages' links and forms reach command.
QByteArray TokenPath(const QByteArray &command);
// command + ";" + token + "?" + target: a switch link's path (target unescaped).
QByteArray SwitchPath(const QByteArray &command, const QByteArray &target);

// Takes a token (";" and hexadecimal digits) off the front of rest, which then keeps what
// follows it. Empty when rest does not start with one.
QByteArray TakePageToken(QByteArray &rest);

} // namespace ql
