-- Tables and columns the program relies on, for a fresh store of the firm's databases.
-- The office application owns the real schema; this one is for the embedded store, the demo and
-- the tests. Each "-- @database NAME" line starts the statements of one database.

-- @database y3436
create table inşaat (
    sayi integer primary key,
    ada varchar(255),
    yedek1 integer,
    arsasahibi varchar(255),
    müteahhit varchar(255),
    kat varchar(50),
    blok varchar(50),
    firma varchar(255)
);
create table yedek5 (
    sayı integer primary key,
    ada varchar(255),
    tarih date,
    alan1 varchar(255),
    alan2 text,
    aciklama text,
    toplam double precision,
    sev1 double precision,
    sev2 double precision,
    sev3 double precision,
    sev4 double precision,
    gonderen varchar(255),
    gonderentc varchar(20),
    bak_durum varchar(10),
    bak_tarih date,
    bakanlik_aciklama varchar(255),
    kullanici varchar(50),
    prog_ID integer,
    LocalImalatId varchar(50)
);
create index yedek5_bekleyen on yedek5 (bak_durum, tarih);
create index insaat_ada on inşaat (ada);
create table detay (
    ID_ varchar(50) primary key,
    MobilKullaniciId integer
);

-- @database f3436
create table bakanlik (
    sayi integer primary key,
    kurum_unvan varchar(255),
    kullanici_adi varchar(255),
    sifre6 varchar(255)
);
create table kullanicilar (
    sayi integer primary key,
    kurum_id integer,
    kullanici varchar(255),
    sifre6 varchar(255),
    admin varchar(10),
    yetki varchar(255),
    hatirla varchar(10),
    hatirla_bilg varchar(255)
);
create table ayarlar2 (
    foto_tarih_at varchar(10),
    ortak varchar(255)
);

-- @database p3436
create table sözleşme (
    "1" varchar(255),
    "11" varchar(255),
    "16" varchar(255),
    "18" varchar(255),
    "44" varchar(255),
    "45" varchar(255),
    "61" varchar(255),
    "62" text,
    "63" text
);
