-- A league as init-league set it up before the schema had steps: the sites call functions,
-- four checks say what an entry may be. Recorded from that version's init-league on an empty
-- database. @GROUP@ stands for the league's group role, @READER@ for its read-only role.
BEGIN;
DO $$BEGIN
  IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = '@GROUP@') THEN
    CREATE ROLE "@GROUP@" NOLOGIN;
  END IF;
END$$;

CREATE SCHEMA IF NOT EXISTS league;
CREATE TABLE IF NOT EXISTS league.about (
  only_row boolean PRIMARY KEY DEFAULT true CHECK (only_row),
  site_group name NOT NULL);
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
ALTER TABLE league.entries ENABLE ROW LEVEL SECURITY;
-- The month's table best first, ties in a fixed order, read from the index alone.
DROP INDEX IF EXISTS league.entries_by_score;
CREATE INDEX IF NOT EXISTS entries_by_rank ON league.entries (month, score DESC, site, player);
INSERT INTO league.about (site_group) VALUES ('@GROUP@') ON CONFLICT DO NOTHING;

DO $do$
DECLARE c record;
BEGIN
  FOR c IN SELECT * FROM (VALUES
      ('entries_score_sound', $c$score BETWEEN 0 AND 917476000 AND score = trunc(score)
                                 AND get_byte(float8send(score), 0) < 128$c$),
      ('entries_player_sound', $c$player ~ '[^ ]' AND player !~ ' $'$c$),
      ('entries_date_sound', $c$last_date ~ '^(0[1-9]|1[0-2])-(0[1-9]|[12][0-9]|3[01])$'
                                AND substr(last_date, 1, 2)
                                    = lpad(extract(month FROM month)::int::text, 2, '0')$c$),
      ('entries_plays_sound', $c$plays ~ '^[0-9]{1,5}$'$c$)) AS v(name, body)
  LOOP
    IF NOT EXISTS (SELECT FROM pg_constraint
                   WHERE conrelid = 'league.entries'::regclass AND conname = c.name) THEN
      EXECUTE format('ALTER TABLE league.entries ADD CONSTRAINT %I CHECK (%s) NOT VALID',
                     c.name, c.body);
      BEGIN
        EXECUTE format('ALTER TABLE league.entries VALIDATE CONSTRAINT %I', c.name);
      EXCEPTION WHEN check_violation THEN
        NULL;
      END;
    END IF;
  END LOOP;
END $do$;

-- The league's clock: UTC on the server.
CREATE OR REPLACE FUNCTION league.utc_now() RETURNS timestamp
  LANGUAGE sql STABLE SET search_path = pg_catalog, pg_temp
  AS $f$ SELECT now() AT TIME ZONE 'UTC' $f$;

-- A site's month is its own local one: open is every month within a day of the server's date.
CREATE OR REPLACE FUNCTION league.check_month(p_month date) RETURNS void
  LANGUAGE plpgsql STABLE SET search_path = pg_catalog, pg_temp AS $f$
DECLARE
  v_now timestamp := league.utc_now();
BEGIN
  IF p_month IS NULL OR p_month <> date_trunc('month', p_month)
     OR p_month < date_trunc('month', v_now - interval '1 day')
     OR p_month > date_trunc('month', v_now + interval '1 day') THEN
    RAISE EXCEPTION 'the month % is not open: the league''s date is % UTC',
      coalesce(to_char(p_month, 'YYYY-MM'), 'given'), to_char(v_now, 'YYYY-MM-DD HH24:MI')
      USING ERRCODE = 'invalid_parameter_value';
  END IF;
END $f$;

CREATE OR REPLACE FUNCTION league.site_of_session() RETURNS league.sites
  LANGUAGE plpgsql STABLE SET search_path = pg_catalog, pg_temp AS $f$
DECLARE
  v_site league.sites;
BEGIN
  SELECT * INTO v_site FROM league.sites s WHERE s.role_name = session_user;
  IF NOT FOUND THEN
    RAISE EXCEPTION 'these credentials are not a site of the league'
      USING ERRCODE = 'insufficient_privilege';
  END IF;
  RETURN v_site;
END $f$;

-- The calling site as the league has it on record, and the league's date.
CREATE OR REPLACE FUNCTION league.calling_site(OUT name text, OUT loc text, OUT today date)
  LANGUAGE plpgsql STABLE SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $f$
DECLARE
  v_site league.sites := league.site_of_session();
BEGIN
  name := v_site.name;
  loc := v_site.loc;
  today := league.utc_now()::date;
END $f$;

-- Whether an entry is one that the game can have written in that month.
CREATE OR REPLACE FUNCTION league.sound_entry(p_month date, p_player text, p_score float8,
    p_last_date text, p_plays text, p_game_code text) RETURNS boolean
  LANGUAGE sql STABLE SET search_path = pg_catalog, pg_temp AS $f$
  SELECT coalesce(
    octet_length(p_player) BETWEEN 1 AND 25 AND p_player !~ '[^\x20-\x7e]'
    AND p_player ~ '[^ ]' AND p_player !~ ' $'
    AND p_score BETWEEN 0 AND 917476000 AND p_score = trunc(p_score)
    AND get_byte(float8send(p_score), 0) < 128
    AND p_last_date ~ '^(0[1-9]|1[0-2])-(0[1-9]|[12][0-9]|3[01])$'
    AND substr(p_last_date, 1, 2) = to_char(p_month, 'MM')
    AND p_plays ~ '^[0-9]{1,5}$'
    AND octet_length(p_game_code) <= 8 AND p_game_code !~ '[^\x20-\x7e]', false)
$f$;

-- This site's entries of its month: each added, or replacing the site's entry of that
-- player. Nothing is stored unless all of them are sound and the site stays within the
-- game's number of players.
CREATE OR REPLACE FUNCTION league.upload(p_month date, p_players text[], p_scores float8[],
    p_last_dates text[], p_plays text[], p_game_codes text[]) RETURNS integer
  LANGUAGE plpgsql VOLATILE SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $f$
DECLARE
  v_site text := (league.site_of_session()).name;
  v_count integer := coalesce(cardinality(p_players), 0);
  v_bad record;
  v_held bigint;
BEGIN
  PERFORM league.check_month(p_month);
  IF v_count > 5000 THEN
    RAISE EXCEPTION 'at most 5000 entries of a site a month, not %', v_count
      USING ERRCODE = 'program_limit_exceeded';
  END IF;
  IF coalesce(cardinality(p_scores), 0) <> v_count
     OR coalesce(cardinality(p_last_dates), 0) <> v_count
     OR coalesce(cardinality(p_plays), 0) <> v_count
     OR coalesce(cardinality(p_game_codes), 0) <> v_count THEN
    RAISE EXCEPTION 'the entries'' columns differ in length' USING ERRCODE = 'invalid_parameter_value';
  END IF;
  SELECT u.n, u.player INTO v_bad
    FROM unnest(p_players, p_scores, p_last_dates, p_plays, p_game_codes) WITH ORDINALITY
      AS u(player, score, last_date, plays, game_code, n)
    WHERE NOT league.sound_entry(p_month, u.player, u.score, u.last_date, u.plays, u.game_code)
    ORDER BY u.n LIMIT 1;
  IF FOUND THEN
    RAISE EXCEPTION 'entry % is no entry of the game for %', v_bad.n, to_char(p_month, 'YYYY-MM')
      USING ERRCODE = 'check_violation';
  END IF;
  IF (SELECT count(DISTINCT p) FROM unnest(p_players) p) <> v_count THEN
    RAISE EXCEPTION 'a player is sent twice' USING ERRCODE = 'unique_violation';
  END IF;
  -- One upload of a site at a time, so that the count below holds; other sites go on.
  PERFORM 1 FROM league.sites s WHERE s.name = v_site FOR NO KEY UPDATE;
  INSERT INTO league.entries AS e (month, site, player, score, last_date, plays, game_code, updated)
    SELECT p_month, v_site, u.player, u.score, u.last_date, u.plays, u.game_code, now()
    FROM unnest(p_players, p_scores, p_last_dates, p_plays, p_game_codes)
      AS u(player, score, last_date, plays, game_code)
  ON CONFLICT (month, site, player) DO UPDATE
    SET score = EXCLUDED.score, last_date = EXCLUDED.last_date, plays = EXCLUDED.plays,
        game_code = EXCLUDED.game_code, updated = EXCLUDED.updated
    WHERE (e.score, e.last_date, e.plays, e.game_code)
          IS DISTINCT FROM (EXCLUDED.score, EXCLUDED.last_date, EXCLUDED.plays, EXCLUDED.game_code);
  SELECT count(*) INTO v_held FROM league.entries e WHERE e.month = p_month AND e.site = v_site;
  IF v_held > 5000 THEN
    RAISE EXCEPTION 'at most 5000 entries of a site a month: this upload would leave %',
      v_held USING ERRCODE = 'program_limit_exceeded';
  END IF;
  RETURN v_count;
END $f$;

-- The month's best entries, of every site or of the other sites only, best first.
CREATE OR REPLACE FUNCTION league.standings(p_month date, p_limit integer, p_others_only boolean)
  RETURNS TABLE (site text, loc text, player text, score float8, last_date text, plays text,
                 game_code text)
  LANGUAGE plpgsql STABLE SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $f$
#variable_conflict use_column
DECLARE
  v_site text := (league.site_of_session()).name;
BEGIN
  PERFORM league.check_month(p_month);
  RETURN QUERY
    SELECT e.site, s.loc, e.player, e.score, e.last_date, e.plays, e.game_code
    FROM league.entries e JOIN league.sites s ON s.name = e.site
    WHERE e.month = p_month AND e.score BETWEEN 0 AND 917476000
      AND NOT (p_others_only AND e.site = v_site)
    ORDER BY e.score DESC, e.site, e.player
    LIMIT least(greatest(coalesce(p_limit, 0), 0), 10000);
END $f$;
REVOKE ALL ON SCHEMA league FROM PUBLIC;
GRANT USAGE ON SCHEMA league TO "@GROUP@";
REVOKE ALL ON ALL TABLES IN SCHEMA league FROM PUBLIC, "@GROUP@";
REVOKE ALL ON ALL SEQUENCES IN SCHEMA league FROM PUBLIC, "@GROUP@";
REVOKE ALL ON FUNCTION league.utc_now() FROM PUBLIC;
REVOKE ALL ON FUNCTION league.check_month(date) FROM PUBLIC;
REVOKE ALL ON FUNCTION league.site_of_session() FROM PUBLIC;
REVOKE ALL ON FUNCTION league.sound_entry(date, text, float8, text, text, text) FROM PUBLIC;
REVOKE ALL ON FUNCTION league.calling_site() FROM PUBLIC;
GRANT EXECUTE ON FUNCTION league.calling_site() TO "@GROUP@";
REVOKE ALL ON FUNCTION league.upload(date, text[], float8[], text[], text[], text[]) FROM PUBLIC;
GRANT EXECUTE ON FUNCTION league.upload(date, text[], float8[], text[], text[], text[]) TO "@GROUP@";
REVOKE ALL ON FUNCTION league.standings(date, integer, boolean) FROM PUBLIC;
GRANT EXECUTE ON FUNCTION league.standings(date, integer, boolean) TO "@GROUP@";
DO $do$BEGIN EXECUTE format('REVOKE TEMPORARY ON DATABASE %I FROM PUBLIC', current_database()); END$do$;
REVOKE ALL ON SCHEMA public FROM PUBLIC;
DO $$BEGIN
  IF NOT EXISTS (SELECT FROM pg_policies WHERE schemaname = 'league' AND tablename = 'entries' AND policyname = 'everyone_reads') THEN
    CREATE POLICY everyone_reads ON league.entries FOR SELECT TO "@GROUP@" USING (true);
  END IF;
  IF NOT EXISTS (SELECT FROM pg_policies WHERE schemaname = 'league' AND tablename = 'entries' AND policyname = 'own_inserts') THEN
    CREATE POLICY own_inserts ON league.entries FOR INSERT TO "@GROUP@" WITH CHECK (site = (SELECT s.name FROM league.sites s WHERE s.role_name = current_user));
  END IF;
  IF NOT EXISTS (SELECT FROM pg_policies WHERE schemaname = 'league' AND tablename = 'entries' AND policyname = 'own_updates') THEN
    CREATE POLICY own_updates ON league.entries FOR UPDATE TO "@GROUP@" USING (site = (SELECT s.name FROM league.sites s WHERE s.role_name = current_user)) WITH CHECK (site = (SELECT s.name FROM league.sites s WHERE s.role_name = current_user));
  END IF;
  IF NOT EXISTS (SELECT FROM pg_policies WHERE schemaname = 'league' AND tablename = 'entries' AND policyname = 'own_deletes') THEN
    CREATE POLICY own_deletes ON league.entries FOR DELETE TO "@GROUP@" USING (site = (SELECT s.name FROM league.sites s WHERE s.role_name = current_user));
  END IF;
END$$;
COMMIT;

BEGIN;
DO $$BEGIN
  IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = '@READER@') THEN
    CREATE ROLE "@READER@" LOGIN;
  END IF;
END$$;
ALTER ROLE "@READER@" CONNECTION LIMIT 2;
ALTER ROLE "@READER@" SET statement_timeout = '60s';
ALTER ROLE "@READER@" SET idle_in_transaction_session_timeout = '60s';
GRANT USAGE ON SCHEMA league TO "@READER@";
DROP FUNCTION IF EXISTS league.publish_league();
DROP FUNCTION IF EXISTS league.publish_months();
DROP FUNCTION IF EXISTS league.publish_sites();
DROP FUNCTION IF EXISTS league.publish_entries(date, refcursor);

CREATE OR REPLACE FUNCTION league.publish_league()
  RETURNS TABLE (league text, month date, made text)
  LANGUAGE sql STABLE SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $f$
    SELECT current_database()::text, date_trunc('month', league.utc_now())::date,
           to_char(league.utc_now(), 'YYYY-MM-DD"T"HH24:MI:SS"Z"')
  $f$;
-- Whether sites may still send scores of the month, by the rule the uploads follow.
CREATE OR REPLACE FUNCTION league.publish_open(p_month date) RETURNS boolean
  LANGUAGE plpgsql STABLE SET search_path = pg_catalog, pg_temp AS $f$
  BEGIN
    PERFORM league.check_month(p_month);
    RETURN true;
  EXCEPTION WHEN invalid_parameter_value THEN
    RETURN false;
  END
  $f$;
CREATE OR REPLACE FUNCTION league.publish_months()
  RETURNS TABLE (month date, player text, site text, loc text, score float8, open boolean)
  LANGUAGE sql STABLE SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $f$
    WITH RECURSIVE months(month) AS (
      SELECT max(e.month) FROM league.entries e
      UNION ALL
      SELECT (SELECT max(e.month) FROM league.entries e WHERE e.month < m.month)
      FROM months m WHERE m.month IS NOT NULL)
    SELECT m.month, top.player, top.site, s.loc, top.score, league.publish_open(m.month)
    FROM months m
    LEFT JOIN LATERAL (
      SELECT e.player, e.site, e.score FROM league.entries e
      WHERE e.month = m.month AND e.score > 0
      ORDER BY e.score DESC, e.site COLLATE "C", e.player COLLATE "C" LIMIT 1) top ON true
    LEFT JOIN league.sites s ON s.name = top.site
    WHERE m.month IS NOT NULL ORDER BY m.month DESC
  $f$;
CREATE OR REPLACE FUNCTION league.publish_sites()
  RETURNS TABLE (name text, loc text)
  LANGUAGE sql STABLE SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $f$
    SELECT s.name, s.loc FROM league.sites s ORDER BY s.name COLLATE "C"
  $f$;
CREATE OR REPLACE FUNCTION league.publish_entries(p_month date, p_cursor refcursor)
  RETURNS refcursor
  LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $f$
  BEGIN
    OPEN p_cursor NO SCROLL FOR
      SELECT e.site, e.player, e.score, e.last_date, e.plays,
             extract(epoch FROM e.updated)::bigint FROM league.entries e
      WHERE e.month = p_month AND e.score > 0 ORDER BY e.site;
    RETURN p_cursor;
  END
  $f$;
REVOKE ALL ON FUNCTION league.publish_open(date) FROM PUBLIC;
REVOKE ALL ON FUNCTION league.publish_league() FROM PUBLIC;
GRANT EXECUTE ON FUNCTION league.publish_league() TO "@READER@";
REVOKE ALL ON FUNCTION league.publish_months() FROM PUBLIC;
GRANT EXECUTE ON FUNCTION league.publish_months() TO "@READER@";
REVOKE ALL ON FUNCTION league.publish_sites() FROM PUBLIC;
GRANT EXECUTE ON FUNCTION league.publish_sites() TO "@READER@";
REVOKE ALL ON FUNCTION league.publish_entries(date, refcursor) FROM PUBLIC;
GRANT EXECUTE ON FUNCTION league.publish_entries(date, refcursor) TO "@READER@";
COMMIT;

