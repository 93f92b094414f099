// The names that the browser checks and the page's benches share, for TypeScript's checker
// (tsconfig.node.json): global, so that each file names them without importing them.
type Page = import('playwright-core').Page;
type BrowserContext = import('playwright-core').BrowserContext;
// Each check said, with what it saw, and whether it passed (browser.mjs's `finish`).
type Results = Array<[said: string, ok: boolean]>;
// Where a check evaluates a script: a page, its Worker, or an engine of tests/web/engines.
interface Realm { evaluate(script: string | (() => void)): Promise<any> }
// Chromium as openBrowser opens it: its context, whose pages the checks open.
type Browser = Awaited<ReturnType<typeof import('./browser.mjs').openBrowser>>;
// A request that a check answers itself.
type Route = import('playwright-core').Route;
// A site served by browser.mjs's `serve`: the server, its address and what it answered.
type Served = Awaited<ReturnType<typeof import('./browser.mjs').serve>>;
