#pragma once

#include <optional>
#include <string>

#include <QString>

#include "platform/hresult.h"

// The registration of the server class "PelService.PelSrv" in the settings store: the command
// line that starts a server for clients (the program's path and "/Automation").
namespace rpc {

// The settings store of both programs: Pellora.ini of organisation "Orven" in the user's
// configuration folder ($XDG_CONFIG_HOME, else ~/.config), where QSettings keeps it.
QString SettingsFilePath();

// Writes the registration for the program at programPath. False when it cannot be written.
bool RegisterServer(const std::string& programPath);
// Removes it. False when it cannot be written.
bool UnregisterServer();
// The registered command line, if any.
std::optional<std::string> RegisteredCommandLine();

// Starts the registered command line as a process of its own (it outlives the caller).
// REGDB_E_CLASSNOTREG when nothing is registered, CO_E_SERVER_EXEC_FAILURE when it cannot run.
HRESULT StartRegisteredServer();

}  // namespace rpc
