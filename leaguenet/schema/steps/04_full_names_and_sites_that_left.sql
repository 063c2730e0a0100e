-- A player's name in full, as the game's login list shows it, where the score file's entry
-- holds only its start: league.sound_entry says how long a name may be, and the name's first
-- check, which held it to the entry's width, goes.
ALTER TABLE league.entries DROP CONSTRAINT IF EXISTS entries_player_check;
