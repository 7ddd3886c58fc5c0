-- A grid of streets, 200 x 200 cells: roads with a centre line, pavements
-- with street lamps, and blocks of houses up to ten storeys on lawns.
-- About 100,000 cells; the benchmark builds the same grid.
local x0, y0, z0 = 3950, 3985, 3900   -- the grid's lowest corner (the ground level)
local size, block, road, walk = 200, 40, 6, 2

local asphalt = city.material{texture = 113}
local centre = city.material{texture = 114}
local pavement = city.material{texture = 117}
local lawn = city.material{texture = 118}

-- The ground: lawn everywhere, then pavements and roads along every 40th cell.
city.fill(x0, y0, z0, x0 + size - 1, y0, z0 + size - 1, lawn)
for s = 0, size - 1, block do
  local lo = s + block - road - 2 * walk
  city.fill(x0 + lo, y0, z0, x0 + lo + road + 2 * walk - 1, y0, z0 + size - 1, pavement)
  city.fill(x0, y0, z0 + lo, x0 + size - 1, y0, z0 + lo + road + 2 * walk - 1, pavement)
end
for s = 0, size - 1, block do
  local lo = s + block - road - walk
  city.fill(x0 + lo, y0, z0, x0 + lo + road - 1, y0, z0 + size - 1, asphalt)
  city.fill(x0, y0, z0 + lo, x0 + size - 1, y0, z0 + lo + road - 1, asphalt)
  city.line(x0 + lo + road // 2, y0, z0, x0 + lo + road // 2, y0, z0 + size - 1, centre)
end

-- Four houses on each block, their facades and heights varied.
local n = 0
for bx = 0, size - 1, block do
  for bz = 0, size - 1, block do
    for _, corner in ipairs{{2, 2}, {16, 2}, {2, 16}, {16, 16}} do
      n = n + 1
      local facade = city.material{texture = 101 + n % 6}
      local hx, hz = x0 + bx + corner[1], z0 + bz + corner[2]
      local height = 5 + (n * 7) % 6
      city.hollow(hx, y0 + 1, hz, hx + 11, y0 + height, hz + 11, facade)
    end
  end
end

-- Street lamps along the pavements, facing the road.
for s = 0, size - 1, block do
  local kerb = s + block - road - walk - 1
  for along = 4, size - 1, 10 do
    city.figure(x0 + kerb, y0, z0 + along, "street lamp", "", 0)
    city.figure(x0 + along, y0, z0 + kerb, "street lamp", "", 90)
  end
end
print("a grid of " .. (size // block) * (size // block) .. " blocks")
