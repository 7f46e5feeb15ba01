#include "engine/core/cleaner.h"

void CxCleaner::Empty()
{
    while (!m_Objects.IsEmpty())
        delete m_Objects.RemoveHead();
}
