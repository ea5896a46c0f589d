#include "data/TariffCache.h"

TariffCache &TariffCache::instance()
{
    static TariffCache cache;
    return cache;
}
