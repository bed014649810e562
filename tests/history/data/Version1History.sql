-- A history file as version 1 of the schema wrote it: two batches, one message id per recipient.
CREATE TABLE batch(
  id INTEGER PRIMARY KEY,
  sent_at INTEGER NOT NULL,
  route TEXT NOT NULL,
  message TEXT NOT NULL,
  sender_name TEXT NOT NULL,
  reply_number TEXT NOT NULL,
  reply_email TEXT NOT NULL,
  failed INTEGER NOT NULL
);
CREATE INDEX batch_sent_at ON batch(sent_at);
CREATE INDEX batch_with_failures ON batch(id) WHERE failed > 0;
CREATE TABLE recipient(
  id INTEGER PRIMARY KEY,
  batch_id INTEGER NOT NULL REFERENCES batch(id) ON DELETE CASCADE,
  name TEXT NOT NULL,
  number TEXT NOT NULL,
  carrier TEXT NOT NULL,
  parts INTEGER NOT NULL,
  result INTEGER NOT NULL,
  result_text TEXT NOT NULL,
  message_id TEXT,
  state INTEGER NOT NULL DEFAULT 0,
  state_at INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX recipient_of_batch ON recipient(batch_id);
CREATE VIRTUAL TABLE batch_words USING fts5(message, people,
  tokenize = 'unicode61 remove_diacritics 2', prefix = '1 2 3');
CREATE TRIGGER batch_words_forget AFTER DELETE ON batch BEGIN
  DELETE FROM batch_words WHERE rowid = old.id;
END;
INSERT INTO batch VALUES(1, 1765000000000, 'web forms', 'Lunch at noon?', 'Me', '5550009999', '', 0);
INSERT INTO recipient VALUES(1, 1, 'Ann', '5551110001', 'Verizon', 1, 0, '', NULL, 0, 0);
INSERT INTO batch_words(rowid, message, people) VALUES(1, 'Lunch at noon?', 'Ann 5551110001 ');
INSERT INTO batch VALUES(2, 1765000600000, 'modem', 'Running late, start without me
sorry', 'Me', '5550009999', '', 1);
INSERT INTO recipient VALUES(2, 2, 'René', '5551110002', 'modem', 2, 0, '', 'mm-17', 0, 0);
INSERT INTO recipient VALUES(3, 2, 'Bob', '5551110003', 'modem', 1, 4,
  'Unable to deliver your message because a network connection was not detected', NULL, 0, 0);
INSERT INTO batch_words(rowid, message, people)
  VALUES(2, 'Running late, start without me
sorry', 'René 5551110002 Bob 5551110003 ');
PRAGMA user_version = 1;
