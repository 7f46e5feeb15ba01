#include "game/world/driving_node.h"

#include "engine/core/log.h"
#include "engine/core/options.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <strings.h>

bool CDrivingNode::IsLinkedTo(const CDrivingNode* other) const
{
    return std::find(m_Links.begin(), m_Links.end(), other) != m_Links.end();
}

bool CDrivingNode::Link(CDrivingNode* other)
{
    if (!other || other == this || IsLinkedTo(other))
        return false;
    m_Links.push_back(other);
    if (!other->IsLinkedTo(this))
        other->m_Links.push_back(this);
    return true;
}

void CDrivingNode::Unlink(CDrivingNode* other)
{
    m_Links.erase(std::remove(m_Links.begin(), m_Links.end(), other), m_Links.end());
    if (other)
        other->m_Links.erase(std::remove(other->m_Links.begin(), other->m_Links.end(), this),
                             other->m_Links.end());
}

float CDrivingNode::DistanceTo(const CDrivingNode& other) const
{
    // In 64 bits: points anywhere in the 32-bit plane are far apart, never an overflow.
    return static_cast<float>(
        std::hypot(static_cast<double>(static_cast<int64_t>(other.m_Position.x) - m_Position.x),
                   static_cast<double>(static_cast<int64_t>(other.m_Position.y) - m_Position.y)));
}

void CDrivingNode::ClearSearch()
{
    m_pParent = nullptr;
    m_fCost = m_fEstimate = m_fTotal = 0;
    m_bClosed = m_bOpen = false;
}

size_t CDrivingGraph::Load(CxOptions& nodes)
{
    Clear();
    char section[32];
    for (int n = 0;; ++n)
    {
        snprintf(section, sizeof(section), "Node%03d", n);
        CxPoint position;
        nodes.GetPoint(section, "Position", &position, CxPoint(-1, -1));
        if (position.x == -1 && position.y == -1)
            break;
        AddNode(position);
    }
    for (size_t n = 0; n < m_Nodes.size(); ++n)
    {
        snprintf(section, sizeof(section), "[Node%03zu]", n);
        const CxOptionSection* entries = nodes.FindSection(section);
        for (auto* it = entries ? entries->GetVariables().GetHead() : nullptr; it; it = it->GetNext())
        {
            if (strcasecmp(it->m_Value->GetName().c_str(), "LinkTo") != 0)
                continue;
            char* end = nullptr;
            const long target = strtol(it->m_Value->GetValue().c_str(), &end, 10);
            if (end == it->m_Value->GetValue().c_str() || target < 0 ||
                static_cast<size_t>(target) >= m_Nodes.size())
                LogEntry(CX_LOG_WARNING, "nodes: Node%03zu links to \"%s\", which is no node; skipped", n,
                         it->m_Value->GetValue().c_str());
            else
                m_Nodes[n]->Link(m_Nodes[target].get());
        }
    }
    return m_Nodes.size();
}

CDrivingNode* CDrivingGraph::AddNode(const CxPoint& position)
{
    m_Nodes.push_back(std::make_unique<CDrivingNode>(static_cast<int32_t>(m_Nodes.size()), position));
    return m_Nodes.back().get();
}

void CDrivingGraph::Clear()
{
    m_Nodes.clear();
}

CDrivingNode* CDrivingGraph::Nearest(const CxPoint& point, CDrivingNode* extra) const
{
    const CDrivingNode probe(-1, point);
    CDrivingNode* best = nullptr;
    float bestDistance = 100000;
    for (const auto& node : m_Nodes)
        if (node->DistanceTo(probe) < bestDistance)
        {
            bestDistance = node->DistanceTo(probe);
            best = node.get();
        }
    if (extra && extra->DistanceTo(probe) < bestDistance)
        best = extra;
    return best;
}

bool CDrivingGraph::Search(CDrivingNode* start, CDrivingNode* goal)
{
    // The open list stays sorted by total; a node whose total equals others'
    // goes behind them.
    std::vector<CDrivingNode*> open;
    auto place = [&open](CDrivingNode* node) {
        open.erase(std::remove(open.begin(), open.end(), node), open.end());
        const auto at =
            std::upper_bound(open.begin(), open.end(), node->m_fTotal,
                             [](float total, const CDrivingNode* other) { return total < other->m_fTotal; });
        open.insert(at, node);
        node->m_bOpen = true;
        node->m_bClosed = false;
    };
    start->m_fEstimate = start->m_fTotal = start->DistanceTo(*goal);
    place(start);
    while (!open.empty())
    {
        CDrivingNode* node = open.front();
        open.erase(open.begin());
        node->m_bOpen = false;
        node->m_bClosed = true;
        if (node == goal)
            return true;
        for (CDrivingNode* next : node->GetLinks())
        {
            const float cost = node->m_fCost + node->DistanceTo(*next);
            if ((next->m_bOpen || next->m_bClosed) && cost >= next->m_fCost)
                continue;
            next->m_pParent = node;
            next->m_fCost = cost;
            next->m_fEstimate = next->DistanceTo(*goal);
            next->m_fTotal = cost + next->m_fEstimate;
            place(next);
        }
    }
    return false;
}

std::vector<CxPoint> CDrivingGraph::FindPath(const CxPoint& from, const CxPoint& to, bool* viaNodes)
{
    for (const auto& node : m_Nodes)
        node->ClearSearch();
    // The temporary start and goal are not in the node list, so neither can
    // be taken for the nearest node of the other's search but the start for
    // the goal: a goal nearer to the truck than to any node is driven to
    // straight.
    CDrivingNode start(-1, from), goal(-2, to);
    if (CDrivingNode* nearest = Nearest(from, nullptr))
    {
        start.Link(nearest);
        for (CDrivingNode* neighbour : std::vector<CDrivingNode*>(nearest->GetLinks()))
            if (neighbour != &start)
                start.Link(neighbour);
    }
    goal.Link(Nearest(to, &start));

    std::vector<CxPoint> path;
    if (Search(&start, &goal))
        for (CDrivingNode* node = &goal; node; node = node->m_pParent)
            path.insert(path.begin(), node->GetPoint());
    // The temporaries leave every list they were linked into.
    for (CDrivingNode* temporary : {&start, &goal})
        while (!temporary->GetLinks().empty())
            temporary->Unlink(temporary->GetLinks().front());
    if (path.size() < 2)
        path = {from, to};
    if (viaNodes)
        *viaNodes = path.size() > 2;
    return path;
}
