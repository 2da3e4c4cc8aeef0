// The connect sequence for one line, and the program's local connection files.
#pragma once

#include <memory>
#include <string>

#include "app/lines/line.h"
#include "app/vpn/vpn_session.h"

inline constexpr char kEntryName[] = "Sorvik加速器";

// Shown when a connect cannot start its dial.
inline constexpr char kLineGoneText[] = "线路已失效，请刷新线路列表后重试";
inline constexpr char kLineTooLongText[] = "线路信息过长，无法连接";
inline constexpr char kEntryNotWrittenText[] = "无法写入连接配置，请检查程序目录是否可写";
// Shown when a dial reaches no outcome in time.
inline constexpr char kDialTimeoutText[] = "连接超时";

// Program directory + "/vpn.dat".
std::wstring PhonebookPath();

// Thread body, the whole life of the session's connection: hang up old connections and wait for
// their ports, rewrite the log, write the entry, dial and wait for the outcome the notifier hands
// over (RAS calls it on a thread of its own or, by another reading, on this one), then, once
// connected, the session's reports until it ends, and the redials after a drop (reconnect.h).
// When no dial can start (the line is gone, a field does not fit, the entry cannot be written,
// RAS refuses at once) the reason goes to LastStatusText and the log, and MsgVpnDialFailed to
// notifyLabel.
void ConnectLine(int lineIndex, const std::shared_ptr<VpnSession>& session);

// The same in a new current session.
void ConnectLine(int lineIndex);

// How a dial of a session's line ended.
struct DialResult {
    DialOutcome outcome = DialOutcome::Ended;
    bool started = false; // no dial was started when false; `text` then says why
    std::string text; // the failure's text
};

// Writes the entry for the session's line (its texts are in the session), dials it and waits up to
// `boundMs` for the outcome. Nothing is dialled once the session has been ended.
DialResult DialSession(const std::shared_ptr<VpnSession>& session, unsigned long boundMs);

// How long a dial may go without an outcome before it is given up.
unsigned long DialBoundMs();

#ifdef SORVIK_TEST_BUILD
// How long a dial may go without an outcome before it is given up (60 s); tests shorten it.
void SetDialBoundMs(unsigned long boundMs);
#endif

// Hangs up every active connection of the entry "Sorvik加速器"; others are left alone.
void HangUpOwnConnections();

// The line of that 1-based index, or null when LineList has none. Hold listLock while using it.
const Line* FindLine(int lineIndex);
