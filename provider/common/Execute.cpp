// The three forms of the command runner.
#include "Execute.h"
#include "ProcessRunner.h"

#include <string>

using namespace OpenWBEM;

namespace
{

// The exit code as the shell reports it: bits 8 to 15 of the wait status. A status of -1
// (nothing could be started or waited for) therefore reads as 255.
int ExitCodeOf(int waitStatus)
{
    return (waitStatus >> 8) & 0xff;
}

// Runs the command with standard error captured. False when no pipe could be opened.
bool RunCapturing(const String& command, std::string& output, int& exitCode)
{
    String commandLine(command);
    commandLine += kExecuteStderrToStdout;
    int waitStatus = 0;
    if (!GetProcessRunner().RunCapturing(commandLine, output, waitStatus))
    {
        return false;
    }
    exitCode = ExitCodeOf(waitStatus);
    return true;
}

// The length of the next piece a fgets() with a kExecuteReadBufferBytes buffer would read:
// up to and including a newline, at most one byte less than the buffer.
size_t NextPieceLength(const std::string& output, size_t start)
{
    const size_t maxPiece = kExecuteReadBufferBytes - 1;
    size_t limit = output.size() - start < maxPiece ? output.size() - start : maxPiece;
    for (size_t i = 0; i < limit; ++i)
    {
        if (output[start + i] == '\n')
        {
            return i + 1;
        }
    }
    return limit;
}

} // namespace

int Execute(String command, Array<String>& lines)
{
    std::string output;
    int exitCode = -1;
    if (!RunCapturing(command, output, exitCode))
    {
        return -1;
    }
    lines.clear();
    size_t start = 0;
    while (start < output.size())
    {
        size_t length = NextPieceLength(output, start);
        lines.push_back(String(output.data() + start, length));
        start += length;
    }
    return exitCode;
}

int Execute(String command, String& output)
{
    std::string captured;
    int exitCode = -1;
    if (!RunCapturing(command, captured, exitCode))
    {
        return -1;
    }
    output = String(captured.data(), captured.size());
    return exitCode;
}

int Execute(String command)
{
    return ExitCodeOf(GetProcessRunner().RunStatusOnly(command));
}
