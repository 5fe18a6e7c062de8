// Opens the HTML exports of scripts/export-library in headless Chromium and looks for every
// site's text on screen: node check-exports-in-browser.cjs MODULES EXPORTS PROFILE. The sites
// come from the comma-delimited export of the same library (sites.csv). See
// scripts/check-exports-in-browser.
'use strict';
const fs = require('fs');
const path = require('path');
const [modules, folder, profile] = process.argv.slice(2);
const { chromium } = require(path.join(modules, 'node_modules', 'playwright-core'));

// The fields of a comma-delimited line: quoted texts with doubled quotes, then the rating.
function fields(line) {
  const out = [];
  let at = 0;
  while (at < line.length && line[at] === '"') {
    let text = '';
    for (at += 1; at < line.length; at += 1) {
      if (line[at] === '"' && line[at + 1] === '"') {
        text += '"';
        at += 1;
      } else if (line[at] === '"') {
        break;
      } else {
        text += line[at];
      }
    }
    out.push(text);
    at += 2; // the closing quote and the comma
  }
  return out;
}

const sites = fs
  .readFileSync(path.join(folder, 'sites.csv'), 'utf8')
  .split('\n')
  .filter((line) => line.startsWith('"'))
  .map(fields)
  .map(([category, location, description]) => ({ category, shown: description || location.slice(0, 100) }));
const categories = [...new Set(sites.map((site) => site.category))];
const flat = (text) => text.replace(/\s+/g, ' ');

// The texts of `wanted` that `text` lacks.
function lacking(text, wanted) {
  const seen = flat(text);
  return wanted.filter((item) => !seen.includes(flat(item)));
}

function report(name, what, wanted, absent) {
  const found = wanted.length - absent.length;
  console.log(`${name}: ${found} of ${wanted.length} ${what} on screen`);
  for (const item of absent) console.log(`  missing: ${item}`);
  return absent.length === 0;
}

async function main() {
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: [
      '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync',
    ],
    viewport: { width: 1000, height: 800 },
  });
  let ok = true;
  const page = await context.newPage();
  const url = (file) => 'file://' + path.join(folder, file);

  for (const file of ['sites-simple.htm', 'sites-table.htm']) {
    await page.goto(url(file));
    const text = await page.evaluate(() => document.body.innerText);
    ok = report(file, 'sites', sites.map((s) => s.shown), lacking(text, sites.map((s) => s.shown))) && ok;
    ok = report(file, 'categories', categories, lacking(text, categories)) && ok;
    await page.screenshot({ path: path.join(folder, file.replace('.htm', '.png')), fullPage: true });
  }

  // The frame set: a document whose body came first would show nothing and have no frames.
  const file = 'frame/sites.htm';
  await page.goto(url(file));
  const frame = (name) => page.frames().find((f) => f.name() === name);
  for (const name of ['contents', 'main', 'banner']) {
    if (!frame(name)) {
      console.log(`${file}: no ${name} frame on screen`);
      ok = false;
    }
  }
  if (frame('contents') && frame('main')) {
    await page.screenshot({ path: path.join(folder, 'frame.png') });
    const contents = await frame('contents').evaluate(() => document.body.innerText);
    ok = report(`${file} contents frame`, 'categories', categories, lacking(contents, categories)) && ok;
    const first = await frame('main').evaluate(() => document.body.innerText);
    const firstSites = sites.filter((s) => s.category === categories[0]).map((s) => s.shown);
    ok = report(`${file} main frame as it opens`, 'sites', firstSites, lacking(first, firstSites)) && ok;
    // Each category's page, through the contents frame's links into the main frame.
    let shown = '';
    const links = await frame('contents').$$('a');
    for (const link of links) {
      const main = frame('main');
      const [navigated] = await Promise.all([main.waitForNavigation(), link.click()]);
      if (navigated === undefined) continue;
      shown += '\n' + (await frame('main').evaluate(() => document.body.innerText));
    }
    ok = report(`${file} main frame, every contents link`, 'sites', sites.map((s) => s.shown),
                lacking(shown, sites.map((s) => s.shown))) && ok;
  }
  await context.close();
  process.exit(ok ? 0 : 1);
}

main().catch((error) => {
  console.error(error);
  process.exit(2);
});
