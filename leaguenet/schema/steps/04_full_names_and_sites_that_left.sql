-- A player's name in full, as the game's login list shows it, where the score file's entry
-- holds only its start: league.sound_entry says how long a name may be, and the name's first
-- check, which held it to the entry's width, goes.
ALTER TABLE league.entries DROP CONSTRAINT IF EXISTS entries_player_check;

-- A site that leaves the league keeps its row, without a role, for the months it played that
-- are closed: they stay in the league as they were published. Its entries of the months still
-- open go with it, and add-site under its name takes the row back.
ALTER TABLE league.sites ALTER COLUMN role_name DROP NOT NULL;
-- The publisher's list of the sites now says which are still in the league.
DROP FUNCTION IF EXISTS league.publish_sites();
