#include "engine/platform/open_url.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <strings.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {
PFN_OPEN_WEB_PAGE s_pfnOpener = nullptr;
// Openers started and not yet reaped; reaped without waiting on every open.
std::vector<pid_t> s_Children;

void ReapChildren(bool wait)
{
    for (size_t i = 0; i < s_Children.size();)
    {
        int status = 0;
        const pid_t done = waitpid(s_Children[i], &status, wait ? 0 : WNOHANG);
        if (done == s_Children[i] || (done < 0 && errno != EINTR))
            s_Children.erase(s_Children.begin() + static_cast<long>(i));
        else if (!wait)
            ++i;
    }
}

void SetWhy(std::string* why, const std::string& text)
{
    if (why)
        *why = text;
}
} // namespace

bool IsOpenableUrl(const char* url)
{
    if (!url)
        return false;
    static const char* const schemes[] = {"http://", "https://", "file://"};
    bool known = false;
    for (const char* scheme : schemes)
        known = known || (strncasecmp(url, scheme, strlen(scheme)) == 0 && url[strlen(scheme)] != '\0');
    if (!known)
        return false;
    for (const char* p = url; *p; ++p)
        if (static_cast<unsigned char>(*p) < 0x20 || *p == 0x7F)
            return false;
    return true;
}

int32_t SpawnWebPageOpener(const char* url, std::string* why)
{
    ReapChildren(false);
    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0)
    {
        SetWhy(why, "no memory to start xdg-open");
        return CX_OPEN_URL_FAILED;
    }
    const int modes[] = {O_RDONLY, O_WRONLY, O_WRONLY};
    for (int fd = 0; fd < 3; ++fd)
        posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", modes[fd], 0);
    char program[] = "xdg-open";
    std::string address(url);
    char* argv[] = {program, address.data(), nullptr};
    pid_t pid = 0;
    const int error = posix_spawnp(&pid, program, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
    {
        SetWhy(why, std::string("could not start xdg-open: ") + strerror(error));
        return CX_OPEN_URL_FAILED;
    }
    s_Children.push_back(pid);
    return CX_OPEN_URL_STARTED;
}

int32_t OpenWebPage(const char* url, std::string* why)
{
    if (!IsOpenableUrl(url))
    {
        SetWhy(why, "not an http, https or file address");
        return CX_OPEN_URL_REFUSED;
    }
    return (s_pfnOpener ? s_pfnOpener : SpawnWebPageOpener)(url, why);
}

PFN_OPEN_WEB_PAGE SetWebPageOpener(PFN_OPEN_WEB_PAGE opener)
{
    PFN_OPEN_WEB_PAGE previous = s_pfnOpener;
    s_pfnOpener = opener;
    return previous;
}

void WaitForWebPageOpeners()
{
    ReapChildren(true);
}
