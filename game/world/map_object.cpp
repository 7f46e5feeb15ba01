#include "game/world/map_object.h"

CMapObject* CMapObject::CopyOf(CMapObject& master, CxDisplayObject* parent, const CxPoint& position)
{
    auto* copy = new CMapObject(master.m_nId);
    copy->m_bInvisible = master.m_bInvisible;
    copy->m_nTag = master.m_nTag;
    copy->ShareStatesOf(&master);
    copy->AttachTo(parent);
    copy->SetHomePosition(position);
    copy->SetPosition(position);
    if (!copy->m_bInvisible)
        copy->Redraw();
    return copy;
}
