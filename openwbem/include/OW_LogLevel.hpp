// Severity levels of log messages. A logger writes a message when the message's level is at
// or below its own, so a higher level means a more talkative logger.
// Thread-safety: types only.
#ifndef OW_LOGLEVEL_HPP_INCLUDE_GUARD_
#define OW_LOGLEVEL_HPP_INCLUDE_GUARD_
#include "OW_config.h"

namespace OpenWBEM
{

enum ELogLevel
{
    E_FATAL_ERROR_LEVEL,
    E_ERROR_LEVEL,
    E_INFO_LEVEL,
    E_DEBUG_LEVEL
};

} // end namespace OpenWBEM

#endif
