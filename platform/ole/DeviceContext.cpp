#include "DeviceContext.h"

bool SetWindowOrgEx(HDC dc, int x, int y, POINT* previous)
{
    if (!dc)
        return false;
    if (previous)
        *previous = dc->windowOrg;
    dc->windowOrg = POINT{x, y};
    return true;
}

bool GetWindowOrgEx(HDC dc, POINT* origin)
{
    if (!dc || !origin)
        return false;
    *origin = dc->windowOrg;
    return true;
}

bool OffsetWindowOrgEx(HDC dc, int dx, int dy, POINT* previous)
{
    if (!dc)
        return false;
    return SetWindowOrgEx(dc, dc->windowOrg.x + dx, dc->windowOrg.y + dy, previous);
}

void MoveWindowOrg(HDC dc, int dx, int dy)
{
    if (dc)
        SetWindowOrgEx(dc, dc->windowOrg.x - dx, dc->windowOrg.y - dy, nullptr);
}
