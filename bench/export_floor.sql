-- The floor of the export: the same rows, joined and written as CSV by the
-- sqlite3 shell. One row per subscriber of types 1 and 3 that is not the
-- administrator account and has its call handler, class of service and
-- location, with every value the export writes: alternate extensions,
-- message-waiting string and transfer values, the latter two only from a
-- single matching row.
.headers on
.mode csv
SELECT s.Alias, s.FirstName, s.LastName, s.DisplayName, s.PWDTMF AS VoiceMailPasswordHash,
       ch.DTMFAccessID AS Extension,
       (SELECT group_concat(d.DTMFAccessID) FROM DTMFAccessID d
         WHERE d.IsPrimaryID = '0' AND d.ParentObjectID = s.SubscriberObjectID) AS Extension_ALT,
       (SELECT CASE WHEN count(*) = 1 THEN
                 replace(replace(m.MWIExtension, 'X', ifnull(s.DTMFAccessID, '')), 'x', ifnull(s.DTMFAccessID, ''))
               END
          FROM NotificationMWI m
         WHERE m.Alias = 'MWI-1' AND m.ParentObjectID = s.SubscriberObjectID) AS MWIExtension,
       s.BillingID, s.Language, CASE WHEN s.ListInDirectory THEN 1 ELSE 0 END AS ListInDirectory,
       r.Action AS TransferAction, ifnull(r.TransferType, 0) AS TransferType, r.Extension AS TransferExtension,
       CASE WHEN r.TransferRings = 0 THEN 1 ELSE r.TransferRings END AS TransferRings,
       s.Alias || '_VOICE_NAME.WAV' AS VoiceName
  FROM vw_Subscriber s
  JOIN vw_CallHandler ch ON ch.CallHandlerObjectID = s.CallHandlerObjectID
  JOIN vw_COS c ON c.COSObjectID = s.COSObjectID
  JOIN vw_Location l ON l.LocationObjectID = s.LocationObjectID
  LEFT JOIN (SELECT ParentObjectID, Action, TransferType, Extension, TransferRings
               FROM ContactRule WHERE Alias = 'Alternate'
              GROUP BY ParentObjectID HAVING count(*) = 1) r
         ON r.ParentObjectID = ch.CallHandlerObjectID
 WHERE s.SubscriberType IN (1, 3) AND ifnull(s.Alias, '') <> 'EAdmin' COLLATE NOCASE;
