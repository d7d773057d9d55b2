#pragma once

#include "cli/CommandIo.h"
#include "cli/Options.h"
#include "cli/Session.h"

// The commands. Each checks its own arguments and files before it opens the session, so that
// bad input never reaches the thermometer, and returns the exit status.

namespace zemra::cli {

int RunIdentify(const Invocation& inv, Session& session, CommandIo& io);
int RunReadConfig(const Invocation& inv, Session& session, CommandIo& io);
int RunWriteConfig(const Invocation& inv, Session& session, CommandIo& io);
int RunDiff(const Invocation& inv, Session& session, CommandIo& io);
int RunMonitor(const Invocation& inv, Session& session, CommandIo& io);
int RunGet(const Invocation& inv, Session& session, CommandIo& io);
int RunSet(const Invocation& inv, Session& session, CommandIo& io);
int RunStore(const Invocation& inv, Session& session, CommandIo& io);

int RunDiscover(const Invocation& inv, CommandIo& io);
int RunSetIp(const Invocation& inv, CommandIo& io);

}  // namespace zemra::cli
