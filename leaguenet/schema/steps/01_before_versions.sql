-- The league as leaguenet made it before its schema had versions: made anew in an empty
-- database, or brought to one shape from any league of then, keeping its entries (the first
-- leagues, whose sites wrote the tables themselves, and the later ones, whose sites called
-- functions, alike). Hence IF NOT EXISTS throughout; the later steps know what they find.
DO $$BEGIN
  IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = @SITES_NAME@) THEN
    CREATE ROLE @SITES@ NOLOGIN;
  END IF;
  IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = @READER_NAME@) THEN
    CREATE ROLE @READER@ LOGIN;
  END IF;
END$$;
CREATE SCHEMA IF NOT EXISTS league;
CREATE TABLE IF NOT EXISTS league.about (
  only_row boolean PRIMARY KEY DEFAULT true CHECK (only_row),
  site_group name NOT NULL);
INSERT INTO league.about (site_group) VALUES (@SITES_NAME@) ON CONFLICT DO NOTHING;
CREATE SEQUENCE IF NOT EXISTS league.site_numbers;
CREATE TABLE IF NOT EXISTS league.sites (
  name text PRIMARY KEY
    CHECK (octet_length(name) BETWEEN 1 AND 35 AND name !~ '[^\x20-\x7e]' AND name = upper(name)
           AND name !~ '^ | $'),
  loc text NOT NULL CHECK (octet_length(loc) = 3 AND loc !~ '[^\x20-\x7e]'),
  role_name name NOT NULL UNIQUE);
CREATE TABLE IF NOT EXISTS league.entries (
  month date NOT NULL CHECK (extract(day FROM month) = 1),
  site text NOT NULL REFERENCES league.sites (name) ON DELETE CASCADE,
  player text NOT NULL CHECK (octet_length(player) BETWEEN 1 AND 25 AND player !~ '[^\x20-\x7e]'),
  score double precision NOT NULL CHECK (score >= 0 AND score <= 1e12),
  last_date text NOT NULL CHECK (last_date ~ '^[0-9][0-9]-[0-9][0-9]$'),
  plays text NOT NULL CHECK (octet_length(plays) <= 5 AND plays !~ '[^\x20-\x7e]'),
  game_code text NOT NULL CHECK (octet_length(game_code) <= 8 AND game_code !~ '[^\x20-\x7e]'),
  updated timestamptz NOT NULL DEFAULT now(),
  PRIMARY KEY (month, site, player));
-- The month's table best first, ties in a fixed order, read from the index alone.
DROP INDEX IF EXISTS league.entries_by_score;
CREATE INDEX IF NOT EXISTS entries_by_rank ON league.entries (month, score DESC, site, player);

-- Row-level security stays as a second line behind the functions, should a privilege on the
-- table ever be granted by mistake.
ALTER TABLE league.entries ENABLE ROW LEVEL SECURITY;
DO $$
DECLARE
  v_own constant text :=
    'site = (SELECT s.name FROM league.sites s WHERE s.role_name = current_user)';
  p record;
BEGIN
  FOR p IN SELECT * FROM (VALUES
      ('everyone_reads', 'FOR SELECT TO %I USING (true)'),
      ('own_inserts', 'FOR INSERT TO %I WITH CHECK (' || v_own || ')'),
      ('own_updates', 'FOR UPDATE TO %I USING (' || v_own || ') WITH CHECK (' || v_own || ')'),
      ('own_deletes', 'FOR DELETE TO %I USING (' || v_own || ')')) AS v(name, rest)
  LOOP
    IF NOT EXISTS (SELECT FROM pg_policies WHERE schemaname = 'league'
                   AND tablename = 'entries' AND policyname = p.name) THEN
      EXECUTE format('CREATE POLICY %I ON league.entries ' || p.rest, p.name, @SITES_NAME@);
    END IF;
  END LOOP;
END$$;

-- The publisher's functions of then, whose columns changed more than once.
DROP FUNCTION IF EXISTS league.publish_league(), league.publish_months(), league.publish_sites(),
  league.publish_entries(date, refcursor);

-- The step the league has reached, and the functions it holds (their md5), which the organiser
-- alone reads.
CREATE TABLE league.version (
  only_row boolean PRIMARY KEY DEFAULT true CHECK (only_row),
  step integer NOT NULL,
  functions text NOT NULL);
