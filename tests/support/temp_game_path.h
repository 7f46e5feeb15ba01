// A temporary folder installed as the game's install and CD roots for the
// object's lifetime: "$GAMEPATH\..." and "$INSTALLPATH\..." names reach its
// files, and the default roots come back when it goes.
#pragma once

#include "engine/core/game_path.h"
#include "tests/support/test_support.h"

class TempGamePath : public TempDir
{
public:
    TempGamePath()
    {
        m_Paths.SetInstallPath(Path().c_str());
        m_Paths.SetCDPath(Path().c_str());
        SetGamePath(&m_Paths);
    }
    ~TempGamePath() { SetGamePath(nullptr); }

private:
    CxGamePath m_Paths;
};
