-- A road that curves through the fields: its middle follows a sine wave,
-- each cross-section a line of asphalt between two lines of pavement, with
-- trees along one side.
local x0, x1, y = 4004, 4160, 3990
local asphalt = city.material{texture = 113}
local kerb = city.material{texture = 117}

city.fill(3940, y, 3930, x1, y, 4070, city.material{texture = 118})
local function middle(x)
  return 4000 + math.floor(28 * math.sin((x - x0) / 24) + 0.5)
end
for x = x0, x1 do
  local z = middle(x)
  -- Wide enough to close the gaps where the road runs steeply.
  local reach = 3 + math.abs(middle(x + 1) - z)
  city.line(x, y, z - reach - 1, x, y, z + reach + 1, kerb)
  city.line(x, y, z - reach, x, y, z + reach, asphalt)
  if x % 12 == 0 then
    city.figure(x, y, z + reach + 3, "tree", "", 0)
  end
end
