#include "game/world/collision_sprite.h"

#include "engine/core/app.h"
#include "engine/frame/game_app.h"

CCollisionSprite::~CCollisionSprite()
{
    SetEventTypeName(nullptr);
    DeleteSequences();
}

void CCollisionSprite::DeleteSequences()
{
    if (m_nChannel)
    {
        DestroyChannel(m_nChannel);
        m_nChannel = 0;
    }
    delete m_pBumped;
    m_pBumped = nullptr;
    delete m_pCollide;
    m_pCollide = nullptr;
}

void CCollisionSprite::HandleCollision(CCollisionSprite* other)
{
    StartOwnSequence(m_pCollide);
    if (IsBumpable())
        HandleBumped(other);
}

void CCollisionSprite::Touch(CCollisionSprite* other)
{
    if (!m_bInContact)
        StartOwnSequence(m_pCollide);
    m_bInContact = true;
    if (IsBumpable())
        HandleBumped(other);
}

void CCollisionSprite::HandleBumped(CCollisionSprite* other)
{
    (void)other;
    if (!m_pBumped || IsSequenceRunning(m_pBumped) || m_bBumpedSpent)
        return;
    // Loaded afresh, so that the lines see the variables as they are now.
    CxString name = m_strBumped;
    LoadOwnSequence(&m_pBumped, m_strBumped, name.c_str());
    if (StartOwnSequence(m_pBumped))
        m_bBumpedSpent = m_bBumpedOnce;
}

CxEvent* CCollisionSprite::CreateEvent(const CxString&, const CxString&, const CxLinkedList<CxString>&)
{
    return nullptr;
}

bool CCollisionSprite::IsOwnCategory(const CxString& category) const
{
    return category.EqualsNoCase("this") ||
           (!m_strTypeName.IsEmpty() && category.EqualsNoCase(m_strTypeName));
}

void CCollisionSprite::SetEventTypeName(const char* name)
{
    // Copies of a sprite may share its name; the registry holds one creator
    // per name, and only the sprite it names may take it out, so no record
    // is left pointing at a dead sprite.
    if (!m_strTypeName.IsEmpty() && FindEventCreator(m_strTypeName.c_str()) == this)
        UnregisterEventCreator(m_strTypeName.c_str());
    m_strTypeName = name ? name : "";
    if (m_strTypeName.IsEmpty())
        return;
    ST_EVENT_DEF definition{};
    definition.m_pCreator = this;
    if (RegisterEventCreator(m_strTypeName.c_str(), definition) != CX_ERR_NONE)
        SetError(CX_ERR_OUT_OF_MEMORY, "Could not register the event type %s", m_strTypeName.c_str());
}

uint32_t CCollisionSprite::SetBumpedSequence(const char* fileName)
{
    return LoadOwnSequence(&m_pBumped, m_strBumped, fileName);
}

uint32_t CCollisionSprite::SetCollideSequence(const char* fileName)
{
    return LoadOwnSequence(&m_pCollide, m_strCollide, fileName);
}

uint32_t CCollisionSprite::LoadOwnSequence(CxEventSequenceFile** sequence, CxString& name,
                                           const char* fileName)
{
    name = fileName ? fileName : "";
    if (name.IsEmpty())
    {
        delete *sequence;
        *sequence = nullptr;
        return CX_ERR_NONE;
    }
    if (!*sequence)
    {
        // The sprite is asked first for every line: "this" reaches it.
        *sequence = new (std::nothrow) CxEventSequenceFile(this);
        if (!*sequence)
        {
            SetError(CX_ERR_OUT_OF_MEMORY, "Could not allocate a sequence for %s", name.c_str());
            return CX_ERR_OUT_OF_MEMORY;
        }
    }
    CxGameApp* app = dynamic_cast<CxGameApp*>(GetApp());
    return (*sequence)->Load(name.c_str(), app ? &app->GetInterpolator() : nullptr);
}

bool CCollisionSprite::IsSequenceRunning(CxEventSequenceFile* sequence)
{
    // A posted sequence waits or runs in the channel until the pump takes it out.
    return sequence && sequence->GetChannel() != 0;
}

bool CCollisionSprite::StartOwnSequence(CxEventSequenceFile* sequence)
{
    if (!sequence || IsSequenceRunning(sequence))
        return false;
    if (!m_nChannel && CreateChannel(&m_nChannel) != CX_ERR_NONE)
    {
        m_nChannel = 0;
        return false;
    }
    return sequence->Post(m_nChannel) == CX_ERR_NONE;
}

void CCollisionSprite::PauseSequences(bool pause)
{
    if (!m_nChannel)
        return;
    if (pause)
        PauseChannel(m_nChannel);
    else
        ResumeChannel(m_nChannel);
}

void CCollisionSprite::SetCollisionRect(const CxRect& rect)
{
    m_rcCollision = rect;
    m_bCollisionRectSet = true;
}

CxRect CCollisionSprite::GetCollisionRect() const
{
    return m_bCollisionRectSet ? m_rcCollision : CxRect(0, 0, GetWidth() - 1, GetHeight() - 1);
}

CxRect CCollisionSprite::GetMapCollisionRect() const
{
    CxRect rect = GetCollisionRect();
    const CxPoint position = GetPosition();
    rect.Offset(position.x, position.y);
    return rect;
}

bool CCollisionSprite::CollidesWith(const CCollisionSprite& other) const
{
    return &other != this && GetMapCollisionRect().Overlaps(other.GetMapCollisionRect());
}

int32_t CCollisionSprite::ComputeDepth() const
{
    const int32_t bottom = GetPosition().y + GetHeight() - 1;
    return m_nZOffset - bottom + COLLISION_DEPTH_BASE;
}
