-- Who may do what, as this version has it. The sites call their functions and the publisher
-- its own, both may read the league's name, and nobody else may call anything: the tables
-- and the sequence stay the organiser's alone.
REVOKE ALL ON SCHEMA league FROM PUBLIC;
GRANT USAGE ON SCHEMA league TO @SITES@, @READER@;
REVOKE ALL ON ALL TABLES IN SCHEMA league FROM PUBLIC, @SITES@, @READER@;
REVOKE ALL ON ALL SEQUENCES IN SCHEMA league FROM PUBLIC, @SITES@, @READER@;
REVOKE ALL ON ALL FUNCTIONS IN SCHEMA league FROM PUBLIC, @SITES@, @READER@;
GRANT EXECUTE ON FUNCTION league.calling_site(),
    league.exchange(date, text[], float8[], text[], text[], text[], integer),
    league.upload(date, text[], float8[], text[], text[], text[]),
    league.standings(date, integer, boolean), league.league_name()
  TO @SITES@;
GRANT EXECUTE ON FUNCTION league.publish_league(), league.publish_months(),
    league.publish_sites(), league.publish_entries(date, refcursor), league.league_name()
  TO @READER@;
-- Nothing of a site's outside the league: no temporary tables, nothing in public.
DO $do$BEGIN
  EXECUTE format('REVOKE TEMPORARY ON DATABASE %I FROM PUBLIC', current_database());
END$do$;
REVOKE ALL ON SCHEMA public FROM PUBLIC;

-- One publication at a time, with room for a second by hand; none may hold the league.
ALTER ROLE @READER@ CONNECTION LIMIT 2;
ALTER ROLE @READER@ SET statement_timeout = '60s';
ALTER ROLE @READER@ SET idle_in_transaction_session_timeout = '60s';
SELECT league.limit_site_role(s.role_name)
  FROM league.sites s JOIN pg_roles r ON r.rolname = s.role_name;
