-- A spiral stair round a column: one step every eighth of a turn, each a
-- line of planks from the column out, and a lamp at the top.
local cx, y0, cz = 4030, 3988, 4000
local steps, width = 24, 5

local column = city.material{texture = 130}
local planks = city.material{texture = 124}

city.fill(cx - 80, y0 - 1, cz - 60, cx + 60, y0 - 1, cz + 60, city.material{texture = 118})
city.fill(cx - 7, y0 - 1, cz - 7, cx + 7, y0 - 1, cz + 7, city.material{texture = 126})
city.cylinder(cx, y0, cz, 1, steps, column)
for i = 0, steps - 1 do
  local a = i * math.pi / 4
  local dx, dz = math.cos(a), math.sin(a)
  city.line(cx + math.floor(2 * dx + 0.5), y0 + i, cz + math.floor(2 * dz + 0.5),
            cx + math.floor(width * dx + 0.5), y0 + i, cz + math.floor(width * dz + 0.5), planks)
end
city.figure(cx, y0 + steps - 1, cz, "street lamp", "TOP", 0)
