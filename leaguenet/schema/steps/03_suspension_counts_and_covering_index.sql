-- Each upload changes its site's row before it counts the site's entries, so that uploads
-- of one site follow one another whatever isolation or snapshot the caller brings: a stale
-- snapshot meets a serialization failure, never a count that misses another upload's rows.
ALTER TABLE league.sites ADD COLUMN uploads bigint NOT NULL DEFAULT 0;
-- A suspended site cannot log in, and its entries are left out of the standings and the
-- pages until it is resumed.
ALTER TABLE league.sites ADD COLUMN suspended boolean NOT NULL DEFAULT false;

-- The month's table best first, ties in a fixed order, with every column the standings send:
-- read from the index alone, not from heap pages scattered over the table.
DROP INDEX league.entries_by_rank;
CREATE INDEX entries_by_rank ON league.entries (month, score DESC, site, player)
  INCLUDE (last_date, plays, game_code);
