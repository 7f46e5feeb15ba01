// The town's driving nodes: points at junctions and bends of the roads,
// linked both ways, through which the help arrow finds the way to a building.
#pragma once

#include "engine/base/geometry.h"
#include "engine/graphics/display_object.h"

#include <cstdint>
#include <memory>
#include <vector>

class CxOptions;

class CDrivingNode : public CxDisplayObject
{
public:
    CDrivingNode(int32_t id, const CxPoint& position) : m_nId(id), m_Position(position) {}

    int32_t GetId() const { return m_nId; }
    const CxPoint& GetPoint() const { return m_Position; }
    const std::vector<CDrivingNode*>& GetLinks() const { return m_Links; }
    bool IsLinkedTo(const CDrivingNode* other) const;
    // Links the two nodes both ways; false (nothing done) for the node itself
    // or a node already linked.
    bool Link(CDrivingNode* other);
    // Removes the link both ways.
    void Unlink(CDrivingNode* other);
    float DistanceTo(const CDrivingNode& other) const;

    // The path search's fields.
    void ClearSearch();
    CDrivingNode* m_pParent = nullptr;
    float m_fCost = 0;
    float m_fEstimate = 0;
    float m_fTotal = 0;
    bool m_bClosed = false;
    bool m_bOpen = false;

private:
    int32_t m_nId;
    CxPoint m_Position;
    std::vector<CDrivingNode*> m_Links;
};

class CDrivingGraph
{
public:
    // Reads the nodes ([Node%03d] "Position", until the first section
    // without one) and their "LinkTo" entries (node numbers, any number of
    // them, on one side or both). Links to a node out of range are skipped
    // and logged. Returns the number of nodes.
    size_t Load(CxOptions& nodes);
    CDrivingNode* AddNode(const CxPoint& position);
    void Clear();
    size_t GetCount() const { return m_Nodes.size(); }
    CDrivingNode* GetNode(size_t index) const
    {
        return index < m_Nodes.size() ? m_Nodes[index].get() : nullptr;
    }

    // The way from one map point to another: from, the nodes to drive
    // through, to. Two points when no node is on the way or no route exists
    // (drive straight). viaNodes (may be null) tells which it was.
    std::vector<CxPoint> FindPath(const CxPoint& from, const CxPoint& to, bool* viaNodes = nullptr);
    // The node nearest to point (the first of equally near ones); null without nodes.
    CDrivingNode* NearestNode(const CxPoint& point) const { return Nearest(point, nullptr); }

private:
    // The node nearest to point among the graph's nodes (and extra, when not
    // null); the first of equally near nodes wins.
    CDrivingNode* Nearest(const CxPoint& point, CDrivingNode* extra) const;
    bool Search(CDrivingNode* start, CDrivingNode* goal);

    std::vector<std::unique_ptr<CDrivingNode>> m_Nodes;
};
