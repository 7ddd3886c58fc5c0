-- A round tower with a dome on a cobbled square, windows on every floor and
-- a door facing the start point.
local cx, y0, cz = 4035, 3990, 4000
local r, height = 6, 14

local stone = city.material{texture = 121}
local cobbles = city.material{texture = 126}
local roof = city.material{texture = 127}

city.fill(cx - 80, y0 - 1, cz - 60, cx + 60, y0 - 1, cz + 60, city.material{texture = 118})
city.fill(cx - 12, y0 - 1, cz - 12, cx + 12, y0 - 1, cz + 12, cobbles)

-- The dome: a shell round the tower's top, its lower half taken away; then
-- the tower under it and a floor under the dome.
local top = y0 + height
city.sphere(cx, top, cz, r, roof, true)
city.clear(cx - r, top - r, cz - r, cx + r, top - 1, cz + r)
city.cylinder(cx, y0, cz, r, height, stone, true)
city.cylinder(cx, top - 1, cz, r, 1, stone)

-- A window every quarter turn on every third level, and the door.
for level = y0 + 3, top - 2, 3 do
  city.remove(cx + r, level, cz)
  city.remove(cx - r, level, cz)
  city.remove(cx, level, cz + r)
  city.remove(cx, level, cz - r)
end
city.clear(cx - r, y0, cz - 1, cx - r, y0 + 1, cz + 1)
city.figure(cx - r - 3, y0 - 1, cz, "man", "GUARD", 0)
